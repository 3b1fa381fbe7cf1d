#include "nimrarc/bytes.h"
#include "nimrarc/resources.h"

namespace nimrarc {

ResId ResId::Name(std::u16string text) {
    for (char16_t& c : text)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return ResId{false, 0, std::move(text)};
}

std::u16string ToUtf16(std::string_view text) {
    std::u16string out;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        std::uint32_t cp = len == 1 ? c : len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
        bool valid = len > 0 && i + len <= n;
        for (size_t k = 1; valid && k < len; ++k) {
            valid = (s[i + k] & 0xC0) == 0x80;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        // Overlong forms and surrogates are not UTF-8 either.
        if (valid &&
            ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) ||
             (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF)))
            valid = false;
        if (!valid) {
            out += static_cast<char16_t>(c);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += len;
    }
    return out;
}

namespace {

void PutId(Bytes& b, const ResId& id) {
    if (id.isOrdinal) {
        b.U16(0xFFFF);
        b.U16(id.ordinal);
    } else {
        b.Text(id.name);
    }
}

void PutEntry(Bytes& out, const Resource& r) {
    Bytes header;
    PutId(header, r.type);
    PutId(header, r.name);
    header.AlignTo4();
    header.U32(0);  // data version
    header.U16(r.memoryFlags);
    header.U16(r.language);
    header.U32(r.version);
    header.U32(r.characteristics);
    out.U32(static_cast<std::uint32_t>(r.data.size()));
    out.U32(static_cast<std::uint32_t>(header.size() + 8));
    out.Raw(header.data());
    out.Raw(r.data);
    out.AlignTo4();
}

}  // namespace

std::string ResFileImage(const std::vector<Resource>& resources) {
    Bytes out;
    Resource empty;
    empty.type = ResId::Number(0);
    empty.name = ResId::Number(0);
    empty.memoryFlags = 0;
    PutEntry(out, empty);
    for (const Resource& r : resources) PutEntry(out, r);
    return out.data();
}

}  // namespace nimrarc
