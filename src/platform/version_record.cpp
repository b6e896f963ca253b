#include "platform/version_record.h"

#include "build_version.h"

namespace platform {

namespace {

// What the system reports when a resource lacks the part asked for.
constexpr int kResourceTypeNotFound = 1813;

QString stringBlock(const VersionRecord::Translation& translation) {
    return QString::asprintf("%.4x%.4x", static_cast<unsigned>(translation.language),
                             static_cast<unsigned>(translation.codePage));
}

QString valueOf(const VersionRecord* record, const QString& name) {
    return record == nullptr ? QString() : GetVersionInfoValue(*record, name);
}

VersionRecord buildRecord() {
    VersionRecord record;
    const VersionRecord::Translation usEnglishUnicode{0x0409, 0x04B0};
    record.translations.append(usEnglishUnicode);
    const QString block =
        QStringLiteral("\\StringFileInfo\\") + stringBlock(usEnglishUnicode) + u'\\';
    record.strings.insert(block + QStringLiteral("ProductName"),
                          QStringLiteral(TORVANE_PRODUCT_NAME));
    record.strings.insert(block + QStringLiteral("ProductVersion"),
                          QStringLiteral(TORVANE_PRODUCT_VERSION));
    record.strings.insert(block + QStringLiteral("LegalCopyright"),
                          QStringLiteral(TORVANE_LEGAL_COPYRIGHT));
    record.strings.insert(block + QStringLiteral("LegalTrademarks"),
                          QStringLiteral(TORVANE_LEGAL_TRADEMARKS));
    return record;
}

} // namespace

VersionInfoError::VersionInfoError(int code, const QString& text)
    : std::runtime_error(
          QStringLiteral("System Error.  Code: %1.\n%2").arg(code).arg(text).toStdString()),
      errorCode(code) {}

const VersionRecord& programVersionRecord() {
    static const VersionRecord record = buildRecord();
    return record;
}

QString GetVersionInfoValue(const VersionRecord& record, const QString& name) {
    if (record.translations.isEmpty()) {
        throw VersionInfoError(
            kResourceTypeNotFound,
            QStringLiteral("The specified resource type cannot be found in the image file."));
    }
    // Queries of a version resource ignore case.
    const QString path = QStringLiteral("\\StringFileInfo\\") +
                         stringBlock(record.translations.first()) + u'\\' + name;
    for (auto entry = record.strings.cbegin(); entry != record.strings.cend(); ++entry) {
        if (entry.key().compare(path, Qt::CaseInsensitive) == 0) {
            const QString& value = entry.value();
            const qsizetype end = value.indexOf(QChar(u'\0'));
            return end < 0 ? value : value.left(end);
        }
    }
    return u' ' + name + QStringLiteral(" not available");
}

QString GetProductVersionString(const VersionRecord* record) {
    return valueOf(record, QStringLiteral("ProductVersion"));
}

QString GetProductInfoString(const VersionRecord* record) {
    if (record == nullptr) {
        return QString();
    }
    return valueOf(record, QStringLiteral("ProductName")) + QStringLiteral(" V") +
           GetProductVersionString(record);
}

QString GetLegalNoticeString(const VersionRecord* record) {
    return valueOf(record, QStringLiteral("LegalCopyright"));
}

QString GetTrademarksString(const VersionRecord* record) {
    return valueOf(record, QStringLiteral("LegalTrademarks"));
}

} // namespace platform
