#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "code_page.h"
#include "wine_prefix.h"
#include "wine_registry.h"

namespace activity {

namespace {

class IconvSource final : public CodePageSource {
  public:
    explicit IconvSource(iconv_t cd) : cd_(cd) {}
    ~IconvSource() override { iconv_close(cd_); }

    bool IsUtf8() const override { return false; }

    Kind Single(std::uint8_t byte, char32_t& c) const override {
        const char in[1] = {static_cast<char>(byte)};
        switch (Convert(in, 1, c)) {
            case Result::kOne:
                return Kind::kChar;
            case Result::kIncomplete:
                return Kind::kLead;
            default:
                return Kind::kInvalid;
        }
    }

    bool Pair(std::uint8_t lead, std::uint8_t trail, char32_t& c) const override {
        const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        return Convert(in, 2, c) == Result::kOne;
    }

  private:
    enum class Result { kOne, kIncomplete, kInvalid };

    // Exactly one character from all of `in`.
    Result Convert(const char* in, std::size_t size, char32_t& c) const {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in);
        std::size_t srcLeft = size;
        char32_t outBuf[2] = {};
        char* dst = reinterpret_cast<char*>(outBuf);
        std::size_t dstLeft = sizeof outBuf;
        const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
        if (r == static_cast<std::size_t>(-1)) {
            return errno == EINVAL ? Result::kIncomplete : Result::kInvalid;
        }
        // A conversion that had to substitute counts as invalid.
        if (r != 0 || srcLeft != 0 || dstLeft != sizeof outBuf - sizeof(char32_t)) {
            return Result::kInvalid;
        }
        c = outBuf[0];
        return Result::kOne;
    }

    iconv_t cd_;
};

class Utf8Source final : public CodePageSource {
  public:
    bool IsUtf8() const override { return true; }
    Kind Single(std::uint8_t, char32_t&) const override { return Kind::kInvalid; }
    bool Pair(std::uint8_t, std::uint8_t, char32_t&) const override { return false; }
};

std::string IconvName(unsigned codePage) {
    switch (codePage) {
        case 936:
            return "GBK";
        case 949:
            return "UHC";
        case 950:
            return "BIG5";
        case 20127:
            return "ASCII";
        case 28591:
            return "ISO-8859-1";
        default:
            return "CP" + std::to_string(codePage);
    }
}

bool IsUtf8Name(const std::string& name) {
    std::string n;
    for (char ch : name)
        if (ch != '-' && ch != '_') n += static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
    return n == "UTF8";
}

// The code page the Wine prefix's processes use; 0 when it records none.
unsigned PrefixCodePage() {
    const auto value =
        ReadWineRegistryValue(WinePrefixDir() + "/system.reg",
                              "System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP");
    if (!value) return 0;
    const std::string text = RegistryText(*value);
    char* end = nullptr;
    const unsigned long cp = std::strtoul(text.c_str(), &end, 10);
    return (end != text.c_str() && cp > 0 && cp < 65536) ? static_cast<unsigned>(cp) : 0;
}

std::unique_ptr<CodePageSource> OpenByName(const std::string& name) {
    if (IsUtf8Name(name)) return std::make_unique<Utf8Source>();
    const iconv_t cd = iconv_open("UTF-32LE", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return std::make_unique<IconvSource>(cd);
}

}  // namespace

std::unique_ptr<CodePageSource> OpenCodePage(unsigned codePage) {
    if (codePage == 0) codePage = PrefixCodePage();
    if (codePage == 0) {
        const char* codeset = nl_langinfo(CODESET);
        return OpenByName(codeset && *codeset ? codeset : "ASCII");
    }
    if (codePage == 65001) return std::make_unique<Utf8Source>();
    return OpenByName(IconvName(codePage));
}

}  // namespace activity
