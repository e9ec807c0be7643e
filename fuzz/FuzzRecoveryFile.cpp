// The recovery file: DecodeRecovery never reads past its input, and whatever it accepts is
// exactly what EncodeRecovery writes for the pages it read (one form per content), so a file
// it takes can only be one the editor wrote.

#include "FuzzSupport.h"
#include "RecoveryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input = FuzzBytes(data, size);
    const std::optional<QList<RecoveredPage>> pages = DecodeRecovery(input);
    if (!pages)
        return 0;
    FUZZ_CHECK(pages->size() <= kMaxRecoveredPages, QString::number(pages->size()));
    bool seen[kMaxRecoveredPages] = {};
    for (const RecoveredPage& page : *pages) {
        FUZZ_CHECK(page.slot >= 0 && page.slot < kMaxRecoveredPages && !seen[page.slot], QString::number(page.slot));
        seen[page.slot] = true;
    }
    const QByteArray again = EncodeRecovery(*pages);
    FUZZ_CHECK(again == input, QStringLiteral("read %1, written back as %2")
                                   .arg(QString::fromStdString(Escaped(input)), QString::fromStdString(Escaped(again))));
    return 0;
}
