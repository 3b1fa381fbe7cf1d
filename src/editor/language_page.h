// The "Language" page of the configuration sheet: the language definitions as a list of
// records the front end shows and edits; they replace the registry's data only when the
// sheet is confirmed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/language.h"
#include "shell/config_dialog.h"

namespace velt {

// One language as the page edits it.
struct LanguageEntry {
    Language* source = nullptr;  // the record it came from; none for one added on the page
    std::string name;
    std::int32_t code = 0;
    std::string extensions;  // separated by ";"
    std::string commentChars;
    std::string stringChars;
    std::string startFunction;
    std::string endFunction;
    std::string icon;
    std::uint16_t flags = 0;
    std::string keywords;  // separated by blanks or line breaks

    bool caseInsensitive() const { return (flags & kLanguageCaseInsensitive) != 0; }
    void SetCaseInsensitive(bool on);
};

// The words of a keyword field.
std::vector<std::string> KeywordsOfField(const std::string& text);
// The keyword field of a word list: seven words a line, as they are stored.
std::string KeywordField(const std::vector<std::string>& words);

class LanguagePage : public ConfigPage {
  public:
    std::vector<LanguageEntry> languages;  // registry order
    int selected = 0;                      // row of the list, -1 for none

    ConfigPageId Id() const override { return ConfigPageId::Language; }
    void Load(const ConfigContext& ctx) override;
    // Every language needs a name (an empty or a changed built-in one beeps and is
    // selected) that no other uses ("Name already used", and it is selected).
    bool Validate(const ConfigContext& ctx) override;
    // Updates the records, adds the new ones at the registry's front in the page's order,
    // and chooses again the language of every open document.
    bool Apply(ConfigContext& ctx) override;

    // The names for the list.
    std::vector<std::string> Names() const;
    // The five built-in languages keep their names: the editor recognises them by it.
    bool NameEditable(int row) const;
    // A new, empty language at the top of the list, with an unused code; it is selected.
    int Add();
    // Removes a language added on this page; the registry's languages stay (documents may
    // use them). False when there is nothing to remove.
    bool Remove(int row);
};

}  // namespace velt
