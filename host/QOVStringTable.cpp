#include "host/QOVStringTable.h"

#include <QHash>

namespace {

const QHash<QString, QString>& Table()
{
    static const QHash<QString, QString> table = {
        {QStringLiteral("GLOBAL_IDC_OK"), QStringLiteral("确定")},
        {QStringLiteral("GLOBAL_IDC_CANCEL"), QStringLiteral("取消")},
        {QStringLiteral("GLOBAL_FILE_SAVE"), QStringLiteral("保存文件")},
        {QStringLiteral("LANG_OPEN_PGM"), QStringLiteral("打开文件")},
        {QStringLiteral("NLE_CHECK_INFO"), QStringLiteral("请检查网络连接和账号信息后重试。")},
        {QStringLiteral("NLE_ACCESS_FAIL_OR_STOP"), QStringLiteral("访问转写服务失败或任务已停止，")},
        {QStringLiteral("NLE_PREPARE_FAIL"), QStringLiteral("转写任务准备失败，")},
        {QStringLiteral("NLE_UPLOAD_FAIL"), QStringLiteral("音频文件上传失败，")},
        {QStringLiteral("NLE_MERGE_FAIL"), QStringLiteral("音频文件合并失败，")},
        {QStringLiteral("AI 绘画"), QStringLiteral("AI 绘画")},
        {QStringLiteral("AI 配音"), QStringLiteral("AI 配音")},
        {QStringLiteral("AI 字幕"), QStringLiteral("AI 字幕")},
        {QStringLiteral("AI 文案"), QStringLiteral("AI 文案")},
        {QStringLiteral("AI 翻译"), QStringLiteral("AI 翻译")},
    };
    return table;
}

} // namespace

QString ZuLoadString(const QString& key)
{
    return Table().value(key, key);
}
