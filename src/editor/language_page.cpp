#include "editor/language_page.h"

#include <algorithm>

#include "editor/document.h"
#include "shell/msgbox.h"
#include "shell/ui.h"

namespace velt {

namespace {

// Message 4000 "Name already used".
constexpr unsigned kNameUsed = 4000;
constexpr std::size_t kWordsPerLine = 7;

// Each extension without blanks around it or a leading dot: "c" is what a name ends in.
std::string CleanExtensions(const std::string& list) {
    std::string out;
    std::size_t i = 0;
    while (i <= list.size()) {
        std::size_t j = list.find(';', i);
        if (j == std::string::npos) j = list.size();
        std::string item = list.substr(i, j - i);
        const std::size_t a = item.find_first_not_of(" \t.");
        const std::size_t b = item.find_last_not_of(" \t");
        item = a == std::string::npos ? std::string() : item.substr(a, b - a + 1);
        if (!item.empty()) {
            if (!out.empty()) out += ';';
            out += item;
        }
        i = j + 1;
    }
    return out;
}

}  // namespace

void LanguageEntry::SetCaseInsensitive(bool on) {
    if (on)
        flags |= kLanguageCaseInsensitive;
    else
        flags &= static_cast<std::uint16_t>(~kLanguageCaseInsensitive);
}

std::vector<std::string> KeywordsOfField(const std::string& text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t a = text.find_first_not_of(" \t\r\n", i);
        if (a == std::string::npos) break;
        std::size_t b = text.find_first_of(" \t\r\n", a);
        if (b == std::string::npos) b = text.size();
        words.push_back(text.substr(a, b - a));
        i = b;
    }
    return words;
}

std::string KeywordField(const std::vector<std::string>& words) {
    std::string s;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) s += i % kWordsPerLine == 0 ? '\n' : ' ';
        s += words[i];
    }
    return s;
}

void LanguagePage::Load(const ConfigContext&) {
    languages.clear();
    for (std::size_t i = 0; i < LanguageCount(); ++i) {
        Language* l = LanguageAt(i);
        LanguageEntry e;
        e.source = l;
        e.name = l->name;
        e.code = l->code;
        e.extensions = l->extensions;
        e.commentChars = l->commentChars;
        e.stringChars = l->stringChars;
        e.startFunction = l->startFunction;
        e.endFunction = l->endFunction;
        e.icon = l->icon;
        e.flags = l->flags;
        e.keywords = KeywordField(l->keywords.words());
        languages.push_back(std::move(e));
    }
    selected = languages.empty() ? -1 : 0;
}

bool LanguagePage::Validate(const ConfigContext&) {
    for (std::size_t i = 0; i < languages.size(); ++i) {
        const bool renamedBuiltIn =
            !NameEditable(static_cast<int>(i)) && languages[i].name != languages[i].source->name;
        if (languages[i].name.empty() || renamedBuiltIn) {
            selected = static_cast<int>(i);
            CurrentUi().Beep();
            return false;
        }
        for (std::size_t k = 0; k < i; ++k) {
            if (languages[k].name == languages[i].name) {
                selected = static_cast<int>(i);
                ShowMessageId(kNameUsed);
                return false;
            }
        }
    }
    return true;
}

bool LanguagePage::Apply(ConfigContext&) {
    std::vector<std::unique_ptr<Language>> added;
    for (LanguageEntry& e : languages) {
        Language* l = e.source;
        if (!l) {
            added.push_back(NewUserLanguage(e.name));
            l = added.back().get();
            e.source = l;
        }
        l->name = e.name;
        l->code = e.code;
        l->extensions = CleanExtensions(e.extensions);
        l->commentChars = e.commentChars;
        l->stringChars = e.stringChars;
        l->startFunction = e.startFunction;
        l->endFunction = e.endFunction;
        l->icon = e.icon;
        l->flags = e.flags;
        SetKeywords(*l, KeywordsOfField(e.keywords));
    }
    // Pushed from the last so that the registry's front reads in the page's order.
    for (auto it = added.rbegin(); it != added.rend(); ++it) AddLanguage(std::move(*it));

    // Extensions, comment characters or keywords may have changed for open documents.
    for (Document* d = FirstDocument(); d; d = d->next) {
        const Language* before = d->language;
        ChooseDocumentLanguage(*d);
        if (d->language != before) d->flags &= static_cast<std::uint16_t>(~kDocFunctionListValid);
    }
    return true;
}

std::vector<std::string> LanguagePage::Names() const {
    std::vector<std::string> names;
    for (const LanguageEntry& e : languages) names.push_back(e.name);
    return names;
}

bool LanguagePage::NameEditable(int row) const {
    if (row < 0 || row >= static_cast<int>(languages.size())) return false;
    const Language* l = languages[row].source;
    if (!l) return true;
    for (const char* builtIn : {kCLanguageName, "Assembly", "Fortran", "Pascal", "eiffel"})
        if (l->name == builtIn) return false;
    return true;
}

int LanguagePage::Add() {
    std::int32_t code = 0;
    for (const LanguageEntry& e : languages) code = std::max(code, e.code + 1);
    LanguageEntry e;
    e.code = code;
    languages.insert(languages.begin(), std::move(e));
    selected = 0;
    return 0;
}

bool LanguagePage::Remove(int row) {
    if (row < 0 || row >= static_cast<int>(languages.size()) || languages[row].source) return false;
    languages.erase(languages.begin() + row);
    if (selected >= static_cast<int>(languages.size()))
        selected = static_cast<int>(languages.size()) - 1;
    return true;
}

}  // namespace velt
