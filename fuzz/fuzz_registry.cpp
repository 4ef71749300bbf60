// The system.reg reader on any text, asked for key and value names that come
// from the input: it must return, with a value of sound shape or none.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <optional>

#include "registry_value.h"
#include "wine_registry.h"

namespace {

std::optional<activity::RegistryValue> Look(std::string_view text, std::string_view key,
                                            std::string_view name) {
    auto value = activity::FindWineRegistryValue(text, key, name);
    // Any type may come with any data: "str(4):" and "hex(4):01" are what
    // Wine's loader reads too, so only the text is checked: UTF-8 that
    // survives a round trip through UTF-16.
    const std::string text8 = value ? activity::RegistryText(*value) : "";
    if (activity::Utf16ToUtf8(activity::Utf8ToUtf16(text8)) != text8) std::abort();
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string key = in.ConsumeRandomLengthString(256);
    const std::string name = in.ConsumeRandomLengthString(128);
    const std::string body = in.ConsumeRemainingBytesAsString();
    // With and without the header, so that mutations need not keep it whole.
    const std::string text = "WINE REGISTRY Version 2\n" + body;
    const auto value = Look(text, key, name);
    Look(text, key, "@");
    Look(body, key, name);
    // A file saved with CR LF line ends reads the same.
    if (text.find('\r') != std::string::npos) return 0;
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? "\r\n" : std::string(1, c);
    const auto again = Look(crlf, key, name);
    if (value.has_value() != again.has_value() ||
        (value && (value->type != again->type || value->data != again->data))) {
        std::abort();
    }
    return 0;
}
