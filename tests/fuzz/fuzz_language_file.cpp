// libFuzzer target: any bytes as a language file or config.ini.

#include "lang/IniDocument.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const IniDocument document = IniDocument::fromBytes(bytes);
    // Every lookup answers, and a document written out reads back the same.
    const QStringList sections = document.sectionNames();
    for (const QString& section : sections) {
        for (const IniDocument::Entry& entry : document.entries(section)) {
            if (!document.contains(section, entry.key))
                std::abort();
        }
    }
    // What is written reads back with the same sections, keys and texts (a
    // file with mixed line ends may come back with one kind of line end).
    const IniDocument again = IniDocument::fromBytes(document.toBytes());
    if (again.sectionNames() != sections)
        std::abort();
    for (const QString& section : sections) {
        const QList<IniDocument::Entry> before = document.entries(section);
        const QList<IniDocument::Entry> after = again.entries(section);
        if (before.size() != after.size())
            std::abort();
        for (int i = 0; i < before.size(); ++i)
            if (before[i].key.trimmed() != after[i].key.trimmed()
                || before[i].text.trimmed() != after[i].text.trimmed())
                std::abort();
    }
    // Changing one value changes that value and keeps the other sections.
    IniDocument changed = document;
    changed.setValue(QStringLiteral("DefaultLanguage"), QStringLiteral("Default"), QStringLiteral("Fuzz"));
    if (changed.value(QStringLiteral("DefaultLanguage"), QStringLiteral("Default")) != QStringLiteral("Fuzz"))
        std::abort();
    return 0;
}
