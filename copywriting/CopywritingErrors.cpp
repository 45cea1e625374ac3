#include "copywriting/CopywritingErrors.h"

namespace CopywritingErrors {

const ChatClient::Wording& ChatWording()
{
    static const ChatClient::Wording wording{
        "copywriting",
        "文案服务请求失败，HTTP状态码：%d",
        "文案服务没有返回生成的文本，请稍后重试",
        "文案服务的回复格式有误：",
        "文案服务的网址无效，请检查配置文件：",
    };
    return wording;
}

} // namespace CopywritingErrors
