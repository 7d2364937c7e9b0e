// A printer's device settings as text. There is no printer driver behind
// this library, so the settings are the few values a print job needs, kept
// as ASCII "key=value" lines (the printer name percent-encoded): they pass
// through the program's text conversions and back without a byte changing.

#include "platform/pdflibrary/entries.h"
#include "platform/pdflibrary/instance.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace pdflibrary {

namespace {

    constexpr char settingsHeader[] = "vellumin-printer-settings 1";

    bool isSettingsText(const std::string &text)
    {
        if (text.compare(0, sizeof(settingsHeader) - 1, settingsHeader) != 0)
            return false;
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte > 0x7e || (byte < 0x20 && byte != '\n'))
                return false;
        }
        return true;
    }

} // namespace

namespace entry {

    std::string GetPrinterDevModeToString(Instance &library, const std::wstring &PrinterName)
    {
        const QByteArray name = QString::fromStdWString(PrinterName).toUtf8().toPercentEncoding();
        // The settings handed in last for the same printer stay as they were.
        if (!library.printerSettings.empty()) {
            const std::string line = "printer=" + name.toStdString() + "\n";
            if (library.printerSettings.find(line) != std::string::npos)
                return library.printerSettings;
        }
        return std::string(settingsHeader) + "\nprinter=" + name.toStdString()
                + "\ncopies=1\norientation=portrait\npaper=A4\n";
    }

    // Only settings text this library produced is taken; anything else is
    // refused and the previous settings stay.
    int SetPrinterDevModeFromString(Instance &library, const std::string &Source)
    {
        if (!isSettingsText(Source)) {
            library.lastError = InternalFailure;
            return 0;
        }
        library.printerSettings = Source;
        return 1;
    }

} // namespace entry

} // namespace pdflibrary
