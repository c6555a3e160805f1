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
        {5, QStringLiteral("程序呼叫或引數不正確")},
        {6, QStringLiteral("溢位")},
        {7, QStringLiteral("記憶體不足")},
        {9, QStringLiteral("陣列索引超出範圍")},
        {11, QStringLiteral("除數為零")},
        {13, QStringLiteral("型態不符合")},
        {52, QStringLiteral("錯誤的檔案名稱或代號")},
        {53, QStringLiteral("找不到檔案")},
        {55, QStringLiteral("檔案已開啟")},
        {57, QStringLiteral("裝置 I/O 錯誤")},
        {61, QStringLiteral("磁碟已滿")},
        {70, QStringLiteral("沒有使用權限")},
        {75, QStringLiteral("路徑或檔案存取錯誤")},
        {76, QStringLiteral("找不到路徑")},
        {91, QStringLiteral("沒有設定物件變數或 With 區塊變數")},
        {94, QStringLiteral("不當使用 Null")},
        {380, QStringLiteral("無效的屬性值")},
        {381, QStringLiteral("無效的屬性陣列索引")},
        {400, QStringLiteral("表單已顯示，無法以強制回應方式顯示")},
        {424, QStringLiteral("此處需要物件")},
        {438, QStringLiteral("物件不支援此屬性或方法")},
        {3021, QStringLiteral("BOF 或 EOF 其中之一為 True，或目前的記錄已被刪除；所要求的操作需要目前的記錄")},
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
{
}

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
