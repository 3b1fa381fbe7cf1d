#include "nimrarc/script.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "common/names.h"
#include "nimrarc/bytes.h"
#include "platform/files.h"

namespace nimrarc {

namespace {

// Thrown inside the compiler only; CompileScript turns it into its result.
struct ScriptError {
    std::string message;
    int file;
    int line;
};

constexpr std::uint16_t kDefaultLanguage = 0x0409;  // English (United States)

// Window and control styles the statements imply.
enum : std::uint32_t {
    kWsPopup = 0x80000000,
    kWsChild = 0x40000000,
    kWsVisible = 0x10000000,
    kWsCaption = 0x00C00000,
    kWsBorder = 0x00800000,
    kWsSysMenu = 0x00080000,
    kWsGroup = 0x00020000,
    kWsTabStop = 0x00010000,
    kDsSetFont = 0x40,
};

// Predefined control classes and their atoms.
struct ControlClass {
    const char* name;
    std::uint16_t atom;
};
constexpr ControlClass kClasses[] = {{"BUTTON", 0x80},  {"EDIT", 0x81},      {"STATIC", 0x82},
                                     {"LISTBOX", 0x83}, {"SCROLLBAR", 0x84}, {"COMBOBOX", 0x85}};

// The control statements other than CONTROL: class, default style, and whether a text comes
// first.
struct ControlKind {
    const char* keyword;
    std::uint16_t atom;
    std::uint32_t style;
    bool hasText;
};
constexpr ControlKind kControls[] = {
    {"LTEXT", 0x82, 0x0 | kWsGroup, true},
    {"RTEXT", 0x82, 0x2 | kWsGroup, true},
    {"CTEXT", 0x82, 0x1 | kWsGroup, true},
    {"PUSHBUTTON", 0x80, 0x0 | kWsTabStop, true},
    {"DEFPUSHBUTTON", 0x80, 0x1 | kWsTabStop, true},
    {"PUSHBOX", 0x80, 0xA | kWsTabStop, true},
    {"CHECKBOX", 0x80, 0x2 | kWsTabStop, true},
    {"AUTOCHECKBOX", 0x80, 0x3 | kWsTabStop, true},
    {"RADIOBUTTON", 0x80, 0x4 | kWsTabStop, true},
    {"AUTORADIOBUTTON", 0x80, 0x9 | kWsTabStop, true},
    {"STATE3", 0x80, 0x5 | kWsTabStop, true},
    {"AUTO3STATE", 0x80, 0x6 | kWsTabStop, true},
    {"GROUPBOX", 0x80, 0x7, true},
    {"ICON", 0x82, 0x3, true},
    {"EDITTEXT", 0x81, kWsBorder | kWsTabStop, false},
    {"COMBOBOX", 0x85, 0x1 | kWsTabStop, false},
    {"LISTBOX", 0x83, 0x1 | kWsBorder, false},
    {"SCROLLBAR", 0x84, 0x0, false},
};

// Statements that may follow a resource's type before its body.
struct CommonOptions {
    std::uint16_t memoryFlags;
    std::uint16_t language;
    std::uint32_t version = 0;
    std::uint32_t characteristics = 0;
};

bool EqualFolded(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

std::uint16_t U16(const std::string& d, size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(d[at]) |
                                      (static_cast<unsigned char>(d[at + 1]) << 8));
}

std::uint32_t U32(const std::string& d, size_t at) {
    return U16(d, at) | (static_cast<std::uint32_t>(U16(d, at + 2)) << 16);
}

// A control's or dialog's text, class or menu: a text or a number.
struct NameOrOrdinal {
    bool isOrdinal = false;
    std::uint16_t ordinal = 0;
    std::u16string text;
};

void PutNameOrOrdinal(Bytes& b, const NameOrOrdinal& n) {
    if (n.isOrdinal) {
        b.U16(0xFFFF);
        b.U16(n.ordinal);
    } else {
        b.Text(n.text);
    }
}

class Compiler {
    // Nesting (blocks, parentheses, signs) is bounded, so that no script can exhaust the
    // stack.
    static constexpr int kMostNesting = 200;
    class Nested {
      public:
        explicit Nested(Compiler& c) : c_(c) {
            if (++c_.depth_ > kMostNesting) c_.Fail("nested too deeply");
        }
        ~Nested() { --c_.depth_; }
        Nested(const Nested&) = delete;
        Nested& operator=(const Nested&) = delete;

      private:
        Compiler& c_;
    };

  public:
    Compiler(const TokenizedScript& script, const ScriptContext& context)
        : tokens_(script.tokens), context_(context) {}

    std::vector<Resource> Run() {
        while (!AtEnd()) Statement();
        return Finish();
    }

  private:
    // ---- tokens

    bool AtEnd() const { return pos_ >= tokens_.size(); }

    const Token& Peek(size_t ahead = 0) const {
        static const Token none;
        return pos_ + ahead < tokens_.size() ? tokens_[pos_ + ahead] : none;
    }

    [[noreturn]] void Fail(const std::string& message) const {
        const Token& at = AtEnd() ? (tokens_.empty() ? Token{} : tokens_.back()) : Peek();
        throw ScriptError{message, at.file, at.line};
    }

    [[noreturn]] void FailAt(const Token& at, const std::string& message) const {
        throw ScriptError{message, at.file, at.line};
    }

    static std::string Shown(const Token& t) {
        return t.kind == TokenKind::String ? "\"" + t.text + "\"" : "'" + t.text + "'";
    }

    const Token& Next(const char* expected) {
        if (AtEnd()) Fail(std::string("unexpected end of file, expected ") + expected);
        return tokens_[pos_++];
    }

    bool IsWord(const Token& t, const char* word) const {
        return t.kind == TokenKind::Identifier && EqualFolded(t.text, word);
    }
    bool PeekWord(const char* word) const { return !AtEnd() && IsWord(Peek(), word); }
    bool PeekPunct(char c) const {
        return !AtEnd() && Peek().kind == TokenKind::Punct && Peek().text[0] == c;
    }
    bool AcceptPunct(char c) {
        if (!PeekPunct(c)) return false;
        ++pos_;
        return true;
    }
    void ExpectComma() {
        if (!AcceptPunct(',')) {
            if (AtEnd()) Fail("unexpected end of file, expected ','");
            Fail("expected ',' before " + Shown(Peek()));
        }
    }
    bool PeekBegin() const { return PeekWord("BEGIN") || PeekPunct('{'); }
    bool PeekEnd() const { return PeekWord("END") || PeekPunct('}'); }
    void ExpectBegin() {
        if (AtEnd()) Fail("unexpected end of file, expected BEGIN");
        if (!PeekBegin()) Fail("expected BEGIN or '{', found " + Shown(Peek()));
        ++pos_;
    }
    // Whether the block goes on; false after its END.
    bool InBlock(const Token& opened) {
        if (AtEnd()) FailAt(opened, "this block has no END");
        if (PeekEnd()) {
            ++pos_;
            return false;
        }
        return true;
    }

    std::string String(const char* what) {
        const Token& t = Next(what);
        if (t.kind != TokenKind::String)
            FailAt(t, std::string("expected ") + what + ", found " + Shown(t));
        return t.value;
    }

    // ---- numbers: C operators with C precedence; NOT also clears, like '~'

    std::uint32_t Primary() {
        const Nested guard(*this);
        const Token& t = Next("a number");
        if (t.kind == TokenKind::Number) return t.number;
        if (t.kind == TokenKind::Punct) {
            switch (t.text[0]) {
                case '(': {
                    std::uint32_t v = Expression();
                    if (!AcceptPunct(')')) Fail("expected ')'");
                    return v;
                }
                case '-':
                    return 0u - Primary();
                case '+':
                    return Primary();
                case '~':
                    return ~Primary();
                case '!':
                    return Primary() == 0 ? 1 : 0;
            }
        }
        if (IsWord(t, "NOT")) return ~Primary();
        if (t.kind == TokenKind::Identifier) FailAt(t, "undefined symbol '" + t.text + "'");
        FailAt(t, "expected a number, found " + Shown(t));
    }

    std::uint32_t Multiplicative() {
        std::uint32_t v = Primary();
        for (;;) {
            if (AcceptPunct('*')) {
                v *= Primary();
            } else if (PeekPunct('/') || PeekPunct('%')) {
                const bool divide = Next("").text[0] == '/';
                const Token& at = Peek();
                const std::uint32_t d = Primary();
                if (d == 0) FailAt(at, "division by zero");
                v = divide ? v / d : v % d;
            } else {
                return v;
            }
        }
    }

    std::uint32_t Additive() {
        std::uint32_t v = Multiplicative();
        for (;;) {
            if (AcceptPunct('+'))
                v += Multiplicative();
            else if (AcceptPunct('-'))
                v -= Multiplicative();
            else
                return v;
        }
    }

    std::uint32_t BitAnd() {
        std::uint32_t v = Additive();
        while (AcceptPunct('&')) v &= Additive();
        return v;
    }

    std::uint32_t Expression() {
        std::uint32_t v = BitAnd();
        while (AcceptPunct('|')) v |= BitAnd();
        return v;
    }

    // A style: `NOT x` takes bits away from the style so far (the statement's default
    // included), anything else adds them.
    std::uint32_t Style(std::uint32_t style) {
        do {
            if (PeekWord("NOT")) {
                ++pos_;
                style &= ~Primary();
            } else {
                style |= BitAnd();
            }
        } while (AcceptPunct('|'));
        return style;
    }

    std::uint16_t Word16(std::uint32_t v, const Token& at, const char* what) {
        // Negative numbers such as -1 (IDC_STATIC) are kept as their 16-bit form.
        if (v > 0xFFFF && v < 0xFFFF8000u)
            FailAt(at, std::string(what) + " does not fit in 16 bits");
        return static_cast<std::uint16_t>(v);
    }

    // ---- names, options, files

    ResId Name() {
        const Token& t = Next("a resource name");
        if (t.kind == TokenKind::Number)
            return ResId::Number(Word16(t.number, t, "the resource number"));
        if (t.kind == TokenKind::Identifier) return ResId::Name(ToUtf16(t.text));
        if (t.kind == TokenKind::String) return ResId::Name(ToUtf16(t.value));
        if (t.kind == TokenKind::Punct && (t.text[0] == '(' || t.text[0] == '-')) {
            --pos_;
            const Token& at = Peek();
            return ResId::Number(Word16(Primary(), at, "the resource number"));
        }
        FailAt(t, "expected a resource name, found " + Shown(t));
    }

    bool MemoryOption(std::uint16_t& flags) {
        if (AtEnd() || Peek().kind != TokenKind::Identifier) return false;
        const std::string& w = Peek().text;
        if (EqualFolded(w, "PRELOAD"))
            flags |= kPreload;
        else if (EqualFolded(w, "LOADONCALL"))
            flags &= static_cast<std::uint16_t>(~kPreload);
        else if (EqualFolded(w, "MOVEABLE"))
            flags |= kMoveable;
        else if (EqualFolded(w, "FIXED"))
            flags &= static_cast<std::uint16_t>(~(kMoveable | kDiscardable));
        else if (EqualFolded(w, "DISCARDABLE"))
            flags |= kDiscardable | kMoveable;
        else if (EqualFolded(w, "PURE"))
            flags |= kPure;
        else if (EqualFolded(w, "IMPURE"))
            flags &= static_cast<std::uint16_t>(~kPure);
        else if (EqualFolded(w, "SHARED") || EqualFolded(w, "NONSHARED")) {
        } else
            return false;
        ++pos_;
        return true;
    }

    std::uint16_t Language() {
        const Token& at = Peek();
        const std::uint32_t primary = Expression();
        ExpectComma();
        const std::uint32_t sub = Expression();
        if (primary > 0x3FF || sub > 0x3F) FailAt(at, "language number out of range");
        return static_cast<std::uint16_t>((sub << 10) | primary);
    }

    // LANGUAGE, VERSION and CHARACTERISTICS, which most resources accept before their body.
    bool CommonStatement(CommonOptions& o) {
        if (PeekWord("LANGUAGE")) {
            ++pos_;
            o.language = Language();
        } else if (PeekWord("VERSION")) {
            ++pos_;
            o.version = Expression();
        } else if (PeekWord("CHARACTERISTICS")) {
            ++pos_;
            o.characteristics = Expression();
        } else {
            return false;
        }
        return true;
    }

    CommonOptions Options(std::uint16_t defaultFlags, bool statements) {
        CommonOptions o{defaultFlags, language_};
        while (MemoryOption(o.memoryFlags) || (statements && CommonStatement(o))) {
        }
        return o;
    }

    // A file name: a string, or the characters up to the next blank.
    std::pair<std::string, Token> FileName() {
        const Token& first = Next("a file name");
        if (first.kind == TokenKind::String) return {first.text, first};
        if (IsWord(first, "BEGIN") || (first.kind == TokenKind::Punct && first.text == "{"))
            FailAt(first, "expected a file name, found " + Shown(first));
        std::string name = first.text;
        while (!AtEnd() && !Peek().spaceBefore && Peek().line == first.line &&
               Peek().file == first.file)
            name += Next("").text;
        return {name, first};
    }

    // A file's contents, found as named, beside the script or in the include directories.
    std::string ReadFile(const std::string& written, const Token& at) {
        // "res\\app.ico" and "res\app.ico" both name res/app.ico.
        std::string name;
        for (size_t i = 0; i < written.size(); ++i) {
            if (written[i] == '\\' && i + 1 < written.size() && written[i + 1] == '\\') ++i;
            name += written[i] == '\\' ? '/' : written[i];
        }
        std::vector<std::string> candidates = {name};
        if (!name.empty() && name[0] != '/')
            for (const std::string& dir : context_.searchDirs)
                candidates.push_back(dir + "/" + name);
        for (const std::string& c : candidates) {
            const std::string path = nimra::HostPath(c);
            std::string data;
            if (velt::platform::IsRegularFile(path) && velt::platform::ReadWholeFile(path, data))
                return data;
        }
        FailAt(at, "cannot open the file " + written);
    }

    void Add(Resource r, const Token& at) {
        for (const Resource& other : resources_)
            if (other.type == r.type && other.name == r.name && other.language == r.language)
                FailAt(at, "the resource is defined twice");
        resources_.push_back(std::move(r));
    }

    Resource Make(std::uint16_t type, const ResId& name, const CommonOptions& o, std::string data) {
        Resource r;
        r.type = ResId::Number(type);
        r.name = name;
        r.memoryFlags = o.memoryFlags;
        r.language = o.language;
        r.version = o.version;
        r.characteristics = o.characteristics;
        r.data = std::move(data);
        return r;
    }

    // ---- statements

    void Statement() {
        const Token& start = Peek();
        if (IsWord(start, "LANGUAGE")) {
            ++pos_;
            language_ = Language();
            return;
        }
        if (IsWord(start, "VERSION") || IsWord(start, "CHARACTERISTICS")) {
            ++pos_;
            Expression();  // applies to nothing a 32-bit .res records globally
            return;
        }
        if (IsWord(start, "STRINGTABLE")) {
            ++pos_;
            StringTable();
            return;
        }
        const ResId name = Name();
        const Token& type = Next("a resource type");
        if (type.kind == TokenKind::Identifier) {
            const std::string& w = type.text;
            if (EqualFolded(w, "ICON")) return IconOrCursor(name, type, false);
            if (EqualFolded(w, "CURSOR")) return IconOrCursor(name, type, true);
            if (EqualFolded(w, "BITMAP")) return Bitmap(name, type);
            if (EqualFolded(w, "MENU")) return Menu(name, type, false);
            if (EqualFolded(w, "MENUEX")) return Menu(name, type, true);
            if (EqualFolded(w, "DIALOG")) return Dialog(name, type, false);
            if (EqualFolded(w, "DIALOGEX")) return Dialog(name, type, true);
            if (EqualFolded(w, "ACCELERATORS")) return Accelerators(name, type);
            if (EqualFolded(w, "VERSIONINFO")) return VersionInfo(name, type);
            if (EqualFolded(w, "RCDATA")) return Data(ResId::Number(kRtRcdata), name, type);
            if (EqualFolded(w, "MESSAGETABLE"))
                return RawFile(ResId::Number(kRtMessageTable), name, type);
            if (EqualFolded(w, "HTML")) return Data(ResId::Number(kRtHtml), name, type);
            if (EqualFolded(w, "MANIFEST")) return Data(ResId::Number(kRtManifest), name, type);
            if (EqualFolded(w, "ANICURSOR"))
                return RawFile(ResId::Number(kRtAniCursor), name, type);
            if (EqualFolded(w, "ANIICON")) return RawFile(ResId::Number(kRtAniIcon), name, type);
            if (EqualFolded(w, "DLGINCLUDE")) return DlgInclude(name, type);
            if (EqualFolded(w, "FONT")) FailAt(type, "FONT resources are not supported");
            if (EqualFolded(w, "STRINGTABLE")) FailAt(type, "a STRINGTABLE has no name");
            return Data(ResId::Name(ToUtf16(w)), name, type);
        }
        if (type.kind == TokenKind::Number)
            return Data(ResId::Number(Word16(type.number, type, "the resource type")), name, type);
        if (type.kind == TokenKind::String)
            return Data(ResId::Name(ToUtf16(type.value)), name, type);
        FailAt(type, "expected a resource type, found " + Shown(type));
    }

    void StringTable() {
        const CommonOptions o = Options(kMoveable | kPure | kDiscardable, true);
        const Token& opened = Peek();
        ExpectBegin();
        while (InBlock(opened)) {
            const Token& at = Peek();
            const std::uint16_t id = Word16(Expression(), at, "the string number");
            AcceptPunct(',');
            const Token& text = Next("a string");
            if (text.kind != TokenKind::String)
                FailAt(text, "expected a string, found " + Shown(text));
            std::u16string value = ToUtf16(text.value);
            while (!AtEnd() && Peek().kind == TokenKind::String && Peek().line == text.line)
                value += ToUtf16(Next("").value);
            const auto key = std::make_pair(o.language, id);
            if (strings_.count(key))
                FailAt(at, "the string number " + std::to_string(id) + " is used twice");
            strings_[key] = {std::move(value), o};
        }
    }

    void IconOrCursor(const ResId& name, const Token& type, bool cursor) {
        const CommonOptions o = Options(kMoveable | kPure | kDiscardable, false);
        const auto [file, at] = FileName();
        const std::string data = ReadFile(file, at);
        // The file: a directory (reserved, type, count), 16-byte entries, the images.
        if (data.size() < 6 || U16(data, 0) != 0 || U16(data, 2) != (cursor ? 2 : 1) ||
            U16(data, 4) == 0 || data.size() < 6 + 16u * U16(data, 4))
            FailAt(at, file + " is not " + (cursor ? "a cursor" : "an icon") + " file");
        const unsigned count = U16(data, 4);
        Bytes group;
        group.U16(0);
        group.U16(cursor ? 2 : 1);
        group.U16(count);
        for (unsigned i = 0; i < count; ++i) {
            const size_t e = 6 + 16 * i;
            const std::uint32_t size = U32(data, e + 8), offset = U32(data, e + 12);
            if (size == 0 || offset > data.size() || size > data.size() - offset)
                FailAt(at,
                       "image " + std::to_string(i + 1) + " of " + file + " lies outside the file");
            std::string image = data.substr(offset, size);
            const std::uint16_t id = ++(cursor ? nextCursorId_ : nextIconId_);
            CommonOptions imageOptions = o;
            imageOptions.memoryFlags = kMoveable | kDiscardable;
            const unsigned width = static_cast<unsigned char>(data[e]);
            const unsigned height = static_cast<unsigned char>(data[e + 1]);
            if (cursor) {
                // The image carries its hot spot; the directory entry its size and bit depth.
                const std::uint16_t hotX = U16(data, e + 4), hotY = U16(data, e + 6);
                std::uint16_t planes = 1, bits = 1;
                if (image.size() >= 16 && U32(image, 0) == 40) {
                    planes = U16(image, 12);
                    bits = U16(image, 14);
                }
                Bytes img;
                img.U16(hotX);
                img.U16(hotY);
                img.Raw(image);
                Add(Make(kRtCursor, ResId::Number(id), imageOptions, img.data()), at);
                group.U16(width ? width : 256);
                group.U16((height ? height : 256) * 2);
                group.U16(planes);
                group.U16(bits);
                group.U32(size + 4);
            } else {
                Add(Make(kRtIcon, ResId::Number(id), imageOptions, image), at);
                group.U8(width);
                group.U8(height);
                group.U8(static_cast<unsigned char>(data[e + 2]));
                group.U8(0);
                group.U16(U16(data, e + 4));
                group.U16(U16(data, e + 6));
                group.U32(size);
            }
            group.U16(id);
        }
        Add(Make(cursor ? kRtGroupCursor : kRtGroupIcon, name, o, group.data()), type);
    }

    void Bitmap(const ResId& name, const Token& type) {
        const CommonOptions o = Options(kMoveable | kPure, false);
        const auto [file, at] = FileName();
        const std::string data = ReadFile(file, at);
        // The resource is the file without its 14-byte file header.
        if (data.size() < 14 + 12 || data[0] != 'B' || data[1] != 'M')
            FailAt(at, file + " is not a bitmap file");
        Add(Make(kRtBitmap, name, o, data.substr(14)), type);
    }

    void RawFile(const ResId& typeId, const ResId& name, const Token& type) {
        const CommonOptions o = Options(kMoveable | kPure, false);
        const auto [file, at] = FileName();
        Resource r = Make(0, name, o, ReadFile(file, at));
        r.type = typeId;
        Add(std::move(r), type);
    }

    // RCDATA and resources of other types: a file, or data written in the script.
    void Data(const ResId& typeId, const ResId& name, const Token& type) {
        const CommonOptions o = Options(kMoveable | kPure, true);
        if (AtEnd()) Fail("unexpected end of file, expected a file name or BEGIN");
        if (!PeekBegin()) {
            if (Peek().kind == TokenKind::Number)
                FailAt(type, "unknown resource type '" + type.text + "'");
            return RawFile(typeId, name, type, o);
        }
        const Token& opened = Peek();
        ExpectBegin();
        Bytes b;
        while (InBlock(opened)) {
            RawItem(b);
            AcceptPunct(',');
        }
        Resource r = Make(0, name, o, b.data());
        r.type = typeId;
        Add(std::move(r), type);
    }

    void RawFile(const ResId& typeId, const ResId& name, const Token& type,
                 const CommonOptions& o) {
        const auto [file, at] = FileName();
        Resource r = Make(0, name, o, ReadFile(file, at));
        r.type = typeId;
        Add(std::move(r), type);
    }

    // One item of raw data: a string (its bytes, or UTF-16 for L"..."), or a number (two
    // bytes, four with the suffix L).
    void RawItem(Bytes& b) {
        if (Peek().kind == TokenKind::String) {
            const Token& t = Next("");
            if (t.wide)
                for (char16_t c : ToUtf16(t.value)) b.U16(c);
            else
                b.Raw(t.value);
            return;
        }
        const bool isLong = Peek().kind == TokenKind::Number && Peek().isLong;
        const std::uint32_t v = Expression();
        if (isLong)
            b.U32(v);
        else
            b.U16(v);
    }

    void DlgInclude(const ResId& name, const Token& type) {
        const CommonOptions o = Options(kMoveable | kPure | kDiscardable, false);
        std::string text = String("a file name");
        text += '\0';
        Add(Make(kRtDlgInclude, name, o, text), type);
    }

    // ---- menus

    struct MenuItem {
        std::u16string text;
        std::uint32_t id = 0, type = 0, state = 0, help = 0;
        std::uint16_t flags = 0;  // MENU: the option bits
        bool popup = false;
        std::vector<MenuItem> items;
    };

    std::uint16_t MenuOptions() {
        std::uint16_t flags = 0;
        for (;;) {
            const size_t mark = pos_;
            const bool comma = AcceptPunct(',');
            if (AtEnd() || Peek().kind != TokenKind::Identifier) {
                if (comma) Fail("expected a menu option");
                return flags;
            }
            const std::string& w = Peek().text;
            std::uint16_t bit = 0;
            if (EqualFolded(w, "CHECKED"))
                bit = 0x0008;
            else if (EqualFolded(w, "GRAYED"))
                bit = 0x0001;
            else if (EqualFolded(w, "INACTIVE"))
                bit = 0x0002;
            else if (EqualFolded(w, "HELP"))
                bit = 0x4000;
            else if (EqualFolded(w, "MENUBARBREAK"))
                bit = 0x0020;
            else if (EqualFolded(w, "MENUBREAK"))
                bit = 0x0040;
            if (!bit) {
                if (comma) Fail("unknown menu option " + Shown(Peek()));
                pos_ = mark;
                return flags;
            }
            ++pos_;
            flags |= bit;
        }
    }

    // An optional field of MENUEX: after a ',', possibly empty.
    bool OptionalField(std::uint32_t& value) {
        if (!AcceptPunct(',')) return false;
        if (!PeekPunct(',') && !PeekBegin() && !PeekEnd() && !PeekWord("MENUITEM") &&
            !PeekWord("POPUP"))
            value = Expression();
        return true;
    }

    std::vector<MenuItem> MenuItems(bool extended) {
        const Nested guard(*this);
        const Token& opened = Peek();
        ExpectBegin();
        std::vector<MenuItem> items;
        while (InBlock(opened)) {
            const Token& word = Next("MENUITEM or POPUP");
            MenuItem item;
            if (IsWord(word, "MENUITEM")) {
                if (PeekWord("SEPARATOR")) {
                    ++pos_;
                    if (extended) item.type = 0x800;
                } else {
                    item.text = ToUtf16(String("the item's text"));
                    if (extended) {
                        if (OptionalField(item.id) && OptionalField(item.type))
                            OptionalField(item.state);
                    } else {
                        ExpectComma();
                        item.id = Expression();
                        item.flags = MenuOptions();
                    }
                }
            } else if (IsWord(word, "POPUP")) {
                item.popup = true;
                item.text = ToUtf16(String("the popup's text"));
                if (extended) {
                    if (OptionalField(item.id) && OptionalField(item.type) &&
                        OptionalField(item.state))
                        OptionalField(item.help);
                } else {
                    item.flags = MenuOptions();
                }
                item.items = MenuItems(extended);
            } else {
                FailAt(word, "expected MENUITEM or POPUP, found " + Shown(word));
            }
            items.push_back(std::move(item));
        }
        return items;
    }

    static void PutMenu(Bytes& b, const std::vector<MenuItem>& items) {
        for (size_t i = 0; i < items.size(); ++i) {
            const MenuItem& m = items[i];
            std::uint16_t flags = m.flags;
            if (m.popup) flags |= 0x10;
            if (i + 1 == items.size()) flags |= 0x80;  // the last item of its level
            b.U16(flags);
            if (!m.popup) b.U16(m.id);
            b.Text(m.text);
            if (m.popup) PutMenu(b, m.items);
        }
    }

    static void PutMenuEx(Bytes& b, const std::vector<MenuItem>& items) {
        for (size_t i = 0; i < items.size(); ++i) {
            const MenuItem& m = items[i];
            b.U32(m.type);
            b.U32(m.state);
            b.U32(m.id);
            b.U16((m.popup ? 0x01 : 0) | (i + 1 == items.size() ? 0x80 : 0));
            b.Text(m.text);
            b.AlignTo4();
            if (m.popup) {
                b.U32(m.help);
                PutMenuEx(b, m.items);
            }
        }
    }

    void Menu(const ResId& name, const Token& type, bool extended) {
        const CommonOptions o = Options(kMoveable | kPure | kDiscardable, true);
        const std::vector<MenuItem> items = MenuItems(extended);
        Bytes b;
        if (extended) {
            b.U16(1);  // version
            b.U16(4);  // offset of the items after this field
            b.U32(0);  // help id
            PutMenuEx(b, items);
        } else {
            b.U16(0);
            b.U16(0);
            PutMenu(b, items);
        }
        Add(Make(kRtMenu, name, o, b.data()), type);
    }

    // ---- dialogs

    struct Control {
        std::uint32_t style = 0, exStyle = 0, id = 0, help = 0;
        std::int32_t x = 0, y = 0, cx = 0, cy = 0;
        NameOrOrdinal cls, text;
        std::string extra;
    };

    NameOrOrdinal TextOrOrdinal() {
        NameOrOrdinal n;
        if (Peek().kind == TokenKind::String) {
            n.text = ToUtf16(Next("").value);
        } else if (Peek().kind == TokenKind::Identifier && !PeekWord("NOT")) {
            n.text = ToUtf16(Next("").text);  // a resource named by a bare word
        } else {
            const Token& at = Peek();
            n.isOrdinal = true;
            n.ordinal = Word16(Expression(), at, "the number");
        }
        return n;
    }

    NameOrOrdinal ClassName() {
        NameOrOrdinal n = TextOrOrdinal();
        if (!n.isOrdinal) {
            std::string ascii;
            for (char16_t c : n.text) ascii += c < 0x80 ? static_cast<char>(c) : '?';
            for (const ControlClass& k : kClasses)
                if (EqualFolded(ascii, k.name)) return NameOrOrdinal{true, k.atom, {}};
        }
        return n;
    }

    std::int32_t Coordinate() { return static_cast<std::int32_t>(Expression()); }

    void Geometry(Control& c) {
        c.x = Coordinate();
        ExpectComma();
        c.y = Coordinate();
        ExpectComma();
        c.cx = Coordinate();
        ExpectComma();
        c.cy = Coordinate();
    }

    Control ControlStatement(const Token& word, bool extended) {
        Control c;
        if (IsWord(word, "CONTROL")) {
            c.text = TextOrOrdinal();
            ExpectComma();
            c.id = Expression();
            ExpectComma();
            c.cls = ClassName();
            ExpectComma();
            c.style = Style(kWsChild | kWsVisible);
            ExpectComma();
            Geometry(c);
            if (AcceptPunct(',')) {
                c.exStyle = Expression();
                if (extended && AcceptPunct(',')) c.help = Expression();
            }
        } else {
            const ControlKind* kind = nullptr;
            for (const ControlKind& k : kControls)
                if (IsWord(word, k.keyword)) kind = &k;
            if (!kind) FailAt(word, "unknown control statement " + Shown(word));
            c.cls = NameOrOrdinal{true, kind->atom, {}};
            const std::uint32_t style = kind->style | kWsChild | kWsVisible;
            c.style = style;
            if (kind->hasText) {
                c.text = TextOrOrdinal();
                ExpectComma();
            }
            c.id = Expression();
            ExpectComma();
            if (IsWord(word, "ICON")) {
                // ICON text, id, x, y [, cx, cy [, style [, exstyle]]]
                c.x = Coordinate();
                ExpectComma();
                c.y = Coordinate();
                if (AcceptPunct(',')) {
                    c.cx = Coordinate();
                    ExpectComma();
                    c.cy = Coordinate();
                }
            } else {
                Geometry(c);
            }
            if (AcceptPunct(',')) {
                c.style = Style(style);
                if (AcceptPunct(',')) {
                    c.exStyle = Expression();
                    if (extended && AcceptPunct(',')) c.help = Expression();
                }
            }
        }
        if (extended && PeekBegin()) {
            const Token& opened = Peek();
            ExpectBegin();
            Bytes data;
            while (InBlock(opened)) {
                RawItem(data);
                AcceptPunct(',');
            }
            c.extra = data.data();
        }
        return c;
    }

    void Dialog(const ResId& name, const Token& type, bool extended) {
        CommonOptions o = Options(kMoveable | kPure | kDiscardable, false);
        Control frame;
        Geometry(frame);
        std::uint32_t help = 0;
        if (extended && AcceptPunct(',')) help = Expression();

        std::optional<std::uint32_t> style;
        std::uint32_t exStyle = 0;
        bool caption = false, font = false;
        std::u16string title, face;
        std::uint32_t pointSize = 0, weight = 0, italic = 0, charset = 1;
        NameOrOrdinal menu, cls;
        for (;;) {
            if (CommonStatement(o)) continue;
            if (PeekWord("STYLE")) {
                ++pos_;
                style = Style(0);
            } else if (PeekWord("EXSTYLE")) {
                ++pos_;
                exStyle = Expression();
            } else if (PeekWord("CAPTION")) {
                ++pos_;
                title = ToUtf16(String("the caption"));
                caption = true;
            } else if (PeekWord("FONT")) {
                ++pos_;
                pointSize = Expression();
                ExpectComma();
                face = ToUtf16(String("the font's name"));
                font = true;
                if (extended && AcceptPunct(',')) {
                    weight = Expression();
                    if (AcceptPunct(',')) {
                        italic = Expression();
                        if (AcceptPunct(',')) charset = Expression();
                    }
                }
            } else if (PeekWord("MENU")) {
                ++pos_;
                menu = TextOrOrdinal();
                if (!menu.isOrdinal) menu.text = ResId::Name(menu.text).name;
            } else if (PeekWord("CLASS")) {
                ++pos_;
                cls = TextOrOrdinal();
            } else {
                break;
            }
        }
        // Without STYLE a dialog is a bordered popup with a system menu; CAPTION adds the
        // title bar and FONT the flag that says a font follows.
        std::uint32_t dialogStyle = style.value_or(kWsPopup | kWsBorder | kWsSysMenu);
        if (caption) dialogStyle |= kWsCaption;
        if (font) dialogStyle |= kDsSetFont;

        std::vector<Control> controls;
        const Token& opened = Peek();
        ExpectBegin();
        while (InBlock(opened)) controls.push_back(ControlStatement(Next("a control"), extended));
        if (controls.size() > 0xFFFF) FailAt(opened, "too many controls");

        Bytes b;
        if (extended) {
            b.U16(1);
            b.U16(0xFFFF);
            b.U32(help);
            b.U32(exStyle);
            b.U32(dialogStyle);
        } else {
            b.U32(dialogStyle);
            b.U32(exStyle);
        }
        b.U16(static_cast<std::uint32_t>(controls.size()));
        b.U16(static_cast<std::uint32_t>(frame.x));
        b.U16(static_cast<std::uint32_t>(frame.y));
        b.U16(static_cast<std::uint32_t>(frame.cx));
        b.U16(static_cast<std::uint32_t>(frame.cy));
        PutNameOrOrdinal(b, menu);
        PutNameOrOrdinal(b, cls);
        b.Text(title);
        if (dialogStyle & kDsSetFont) {
            b.U16(pointSize);
            if (extended) {
                b.U16(weight);
                b.U8(italic);
                b.U8(charset);
            }
            b.Text(face);
        }
        for (const Control& c : controls) {
            b.AlignTo4();
            if (extended) {
                b.U32(c.help);
                b.U32(c.exStyle);
                b.U32(c.style);
            } else {
                b.U32(c.style);
                b.U32(c.exStyle);
            }
            b.U16(static_cast<std::uint32_t>(c.x));
            b.U16(static_cast<std::uint32_t>(c.y));
            b.U16(static_cast<std::uint32_t>(c.cx));
            b.U16(static_cast<std::uint32_t>(c.cy));
            if (extended)
                b.U32(c.id);
            else
                b.U16(c.id);
            PutNameOrOrdinal(b, c.cls);
            PutNameOrOrdinal(b, c.text);
            b.U16(static_cast<std::uint32_t>(c.extra.size()));
            b.Raw(c.extra);
        }
        Add(Make(kRtDialog, name, o, b.data()), type);
    }

    // ---- accelerators

    void Accelerators(const ResId& name, const Token& type) {
        const CommonOptions o = Options(kMoveable | kPure, true);
        const Token& opened = Peek();
        ExpectBegin();
        struct Entry {
            std::uint16_t flags, key, id;
        };
        std::vector<Entry> entries;
        while (InBlock(opened)) {
            const Token& event = Peek();
            std::uint32_t key = 0;
            bool fromText = false;
            if (event.kind == TokenKind::String) {
                ++pos_;
                const std::string& s = event.value;
                if (s.size() == 2 && s[0] == '^') {
                    const char c =
                        static_cast<char>(std::toupper(static_cast<unsigned char>(s[1])));
                    if (c < '@' || c > '_')
                        FailAt(event, "invalid control character " + Shown(event));
                    key = static_cast<std::uint32_t>(c - '@');
                } else if (s.size() == 1) {
                    key = static_cast<unsigned char>(s[0]);
                    fromText = true;
                } else {
                    FailAt(event, "an accelerator's key is one character or ^ and a letter");
                }
            } else {
                key = Expression();
            }
            ExpectComma();
            const Token& at = Peek();
            const std::uint16_t id = Word16(Expression(), at, "the command number");
            std::uint16_t flags = 0;
            while (AcceptPunct(',')) {
                const Token& w = Next("an accelerator option");
                if (IsWord(w, "VIRTKEY"))
                    flags |= 0x01;
                else if (IsWord(w, "ASCII"))
                    flags &= static_cast<std::uint16_t>(~0x01);
                else if (IsWord(w, "NOINVERT"))
                    flags |= 0x02;
                else if (IsWord(w, "SHIFT"))
                    flags |= 0x04;
                else if (IsWord(w, "CONTROL"))
                    flags |= 0x08;
                else if (IsWord(w, "ALT"))
                    flags |= 0x10;
                else
                    FailAt(w, "unknown accelerator option " + Shown(w));
            }
            // A virtual key given as a letter is the upper-case letter's key.
            if ((flags & 0x01) && fromText)
                key = static_cast<std::uint32_t>(std::toupper(static_cast<int>(key)));
            entries.push_back({flags, static_cast<std::uint16_t>(key), id});
        }
        Bytes b;
        for (size_t i = 0; i < entries.size(); ++i) {
            b.U16(entries[i].flags | (i + 1 == entries.size() ? 0x80 : 0));
            b.U16(entries[i].key);
            b.U16(entries[i].id);
            b.U16(0);
        }
        Add(Make(kRtAccelerator, name, o, b.data()), type);
    }

    // ---- version information

    struct VersionNode {
        std::u16string key;
        bool text = true;               // a text value (type 1) or binary (type 0)
        std::string value;              // the value's bytes
        std::uint32_t valueLength = 0;  // in characters for text, in bytes for binary
        std::vector<VersionNode> children;
    };

    std::vector<VersionNode> VersionBlock() {
        const Nested guard(*this);
        const Token& opened = Peek();
        ExpectBegin();
        std::vector<VersionNode> nodes;
        while (InBlock(opened)) {
            const Token& word = Next("BLOCK or VALUE");
            VersionNode node;
            if (IsWord(word, "BLOCK")) {
                node.key = ToUtf16(String("the block's name"));
                node.children = VersionBlock();
            } else if (IsWord(word, "VALUE")) {
                node.key = ToUtf16(String("the value's name"));
                bool anyText = false, anyNumber = false;
                std::u16string text;
                Bytes binary;
                while (AcceptPunct(',')) {
                    if (Peek().kind == TokenKind::String) {
                        text += ToUtf16(Next("").value);
                        anyText = true;
                    } else {
                        const bool isLong = Peek().kind == TokenKind::Number && Peek().isLong;
                        const std::uint32_t v = Expression();
                        if (isLong)
                            binary.U32(v);
                        else
                            binary.U16(v);
                        anyNumber = true;
                    }
                }
                if (anyText && anyNumber) FailAt(word, "a VALUE holds either texts or numbers");
                node.text = !anyNumber;
                if (node.text) {
                    Bytes t;
                    if (anyText) t.Text(text);
                    node.value = t.data();
                    node.valueLength = anyText ? static_cast<std::uint32_t>(text.size() + 1) : 0;
                } else {
                    node.value = binary.data();
                    node.valueLength = static_cast<std::uint32_t>(binary.size());
                }
            } else {
                FailAt(word, "expected BLOCK or VALUE, found " + Shown(word));
            }
            nodes.push_back(std::move(node));
        }
        return nodes;
    }

    static void PutVersionNode(Bytes& b, const VersionNode& n) {
        b.AlignTo4();
        const size_t start = b.size();
        b.U16(0);  // the length, patched below
        b.U16(n.valueLength);
        b.U16(n.text ? 1 : 0);
        b.Text(n.key);
        b.AlignTo4();
        b.Raw(n.value);
        for (const VersionNode& child : n.children) PutVersionNode(b, child);
        b.PatchU16(start, static_cast<std::uint32_t>(b.size() - start));
    }

    void VersionInfo(const ResId& name, const Token& type) {
        CommonOptions o = Options(kMoveable | kPure, false);
        std::uint32_t fixed[13] = {0xFEEF04BD, 0x00010000};
        auto versionPair = [&](int at) {
            std::uint32_t parts[4] = {0, 0, 0, 0};
            for (int i = 0; i < 4; ++i) {
                parts[i] = Expression() & 0xFFFF;
                if (!AcceptPunct(',')) break;
            }
            fixed[at] = (parts[0] << 16) | parts[1];
            fixed[at + 1] = (parts[2] << 16) | parts[3];
        };
        for (;;) {
            if (CommonStatement(o)) continue;
            if (PeekWord("FILEVERSION")) {
                ++pos_;
                versionPair(2);
            } else if (PeekWord("PRODUCTVERSION")) {
                ++pos_;
                versionPair(4);
            } else if (PeekWord("FILEFLAGSMASK")) {
                ++pos_;
                fixed[6] = Expression();
            } else if (PeekWord("FILEFLAGS")) {
                ++pos_;
                fixed[7] = Expression();
            } else if (PeekWord("FILEOS")) {
                ++pos_;
                fixed[8] = Expression();
            } else if (PeekWord("FILETYPE")) {
                ++pos_;
                fixed[9] = Expression();
            } else if (PeekWord("FILESUBTYPE")) {
                ++pos_;
                fixed[10] = Expression();
            } else {
                break;
            }
        }
        VersionNode root;
        root.key = u"VS_VERSION_INFO";
        root.text = false;
        Bytes fixedInfo;
        for (std::uint32_t v : fixed) fixedInfo.U32(v);
        root.value = fixedInfo.data();
        root.valueLength = static_cast<std::uint32_t>(fixedInfo.size());
        root.children = VersionBlock();
        Bytes b;
        PutVersionNode(b, root);
        Add(Make(kRtVersion, name, o, b.data()), type);
    }

    // ---- the end: string tables in blocks of sixteen

    std::vector<Resource> Finish() {
        std::map<std::pair<std::uint16_t, std::uint16_t>, std::map<unsigned, std::u16string>>
            blocks;
        std::map<std::pair<std::uint16_t, std::uint16_t>, CommonOptions> blockOptions;
        for (const auto& [key, entry] : strings_) {
            const auto block =
                std::make_pair(key.first, static_cast<std::uint16_t>(key.second / 16 + 1));
            blocks[block][key.second % 16] = entry.first;
            blockOptions.emplace(block, entry.second);
        }
        for (const auto& [block, texts] : blocks) {
            Bytes b;
            for (unsigned i = 0; i < 16; ++i) {
                auto it = texts.find(i);
                const std::u16string empty;
                const std::u16string& s = it == texts.end() ? empty : it->second;
                b.U16(static_cast<std::uint32_t>(s.size()));
                for (char16_t c : s) b.U16(c);
            }
            resources_.push_back(
                Make(kRtString, ResId::Number(block.second), blockOptions[block], b.data()));
        }
        return std::move(resources_);
    }

    const std::vector<Token>& tokens_;
    const ScriptContext& context_;
    size_t pos_ = 0;
    int depth_ = 0;
    std::uint16_t language_ = kDefaultLanguage;
    std::uint16_t nextIconId_ = 0, nextCursorId_ = 0;
    std::vector<Resource> resources_;
    std::map<std::pair<std::uint16_t, std::uint16_t>, std::pair<std::u16string, CommonOptions>>
        strings_;
};

}  // namespace

ScriptResult CompileScript(const TokenizedScript& script, const ScriptContext& context) {
    ScriptResult result;
    if (!script.error.empty()) {
        result.message = script.error;
        result.file = script.errorFile;
        result.line = script.errorLine;
        return result;
    }
    try {
        Compiler compiler(script, context);
        result.resources = compiler.Run();
        result.ok = true;
    } catch (const ScriptError& e) {
        result.message = e.message;
        result.file = e.file;
        result.line = e.line;
    }
    return result;
}

}  // namespace nimrarc
