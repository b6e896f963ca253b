// Any file as the registry store's file. Whatever is understood must be written back in a
// form that reads again to the same store.
#include "platform/registry_text.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const platform::RegistryTextParse parsed = platform::readRegistryText(bytes);
    if (!parsed.error.isEmpty())
        return 0;
    const QByteArray written = platform::writeRegistryText(parsed.root);
    const platform::RegistryTextParse again = platform::readRegistryText(written);
    if (!again.error.isEmpty() || platform::writeRegistryText(again.root) != written)
        std::abort();
    return 0;
}
