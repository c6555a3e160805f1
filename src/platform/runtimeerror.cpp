// The runtime's errors: standard message texts, the run-time failure and the current
// error.

#include "suiteframe/platform/runtimeerror.h"

#include <QHash>

namespace platform {

namespace {

const QString &applicationDefinedText()
{
    static const QString text = QStringLiteral("應用程式定義或物件定義錯誤");
    return text;
}

const QHash<qint32, QString> &standardTexts()
{
    static const QHash<qint32, QString> texts = {
        {ErrorNumber::InvalidProcedureCall, QStringLiteral("程序呼叫或引數不正確")},
        {ErrorNumber::Overflow, QStringLiteral("溢位")},
        {ErrorNumber::OutOfMemory, QStringLiteral("記憶體不足")},
        {ErrorNumber::SubscriptOutOfRange, QStringLiteral("陣列索引超出範圍")},
        {ErrorNumber::DivisionByZero, QStringLiteral("除數為零")},
        {ErrorNumber::TypeMismatch, QStringLiteral("型態不符合")},
        {ErrorNumber::BadFileNameOrNumber, QStringLiteral("錯誤的檔案名稱或代號")},
        {ErrorNumber::FileNotFound, QStringLiteral("找不到檔案")},
        {ErrorNumber::FileAlreadyOpen, QStringLiteral("檔案已開啟")},
        {ErrorNumber::DeviceIOError, QStringLiteral("裝置 I/O 錯誤")},
        {ErrorNumber::DiskFull, QStringLiteral("磁碟已滿")},
        {ErrorNumber::PermissionDenied, QStringLiteral("沒有使用權限")},
        {ErrorNumber::PathFileAccessError, QStringLiteral("路徑或檔案存取錯誤")},
        {ErrorNumber::PathNotFound, QStringLiteral("找不到路徑")},
        {ErrorNumber::ObjectVariableNotSet, QStringLiteral("沒有設定物件變數或 With 區塊變數")},
        {ErrorNumber::InvalidUseOfNull, QStringLiteral("不當使用 Null")},
        {ErrorNumber::InvalidPropertyValue, QStringLiteral("無效的屬性值")},
        {ErrorNumber::InvalidPropertyArrayIndex, QStringLiteral("無效的屬性陣列索引")},
        {ErrorNumber::FormAlreadyDisplayed, QStringLiteral("表單已顯示，無法以強制回應方式顯示")},
        {ErrorNumber::ObjectRequired, QStringLiteral("此處需要物件")},
        {ErrorNumber::NotSupported, QStringLiteral("物件不支援此屬性或方法")},
        {ErrorNumber::NoCurrentRecord,
         QStringLiteral(
             "BOF 或 EOF 其中之一為 True，或目前的記錄已被刪除；所要求的操作需要目前的記錄")},
    };
    return texts;
}

} // namespace

QString standardErrorText(qint32 number)
{
    return standardTexts().value(number, applicationDefinedText());
}

RuntimeError::RuntimeError(qint32 number, const QString &description)
    : m_number(number)
    , m_description(description.isNull() ? standardErrorText(number) : description)
    , m_what(QStringLiteral("%1: %2").arg(number).arg(m_description).toUtf8())
{}

void CurrentError::set(const RuntimeError &error)
{
    Number = error.number();
    Description = error.description();
}

void CurrentError::clear()
{
    Number = 0;
    Description.clear();
}

CurrentError &Err()
{
    static CurrentError current;
    return current;
}

} // namespace platform
