// libFuzzer target: any bytes as a disc metadata file.

#include "disc/DiscMetadata.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), int(size));
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    QByteArray name, thumbnail;
    ReadDiscMetadata(buffer, name, thumbnail);
    if (name.size() >= 256 || thumbnail.size() >= 256 || name.contains('\n') || thumbnail.contains('\n'))
        std::abort();
    return 0;
}
