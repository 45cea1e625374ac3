#include "copywriting/CopywritingErrors.h"

#include "service/CodeTable.h"

namespace CopywritingErrors {

namespace {

constexpr CodeText kServiceCodes[] = {
    {1, "服务器内部错误"},
    {2, "服务暂不可用"},
    {3, "调用的API不存在，请检查后重新尝试"},
    {4, "集群超限额"},
    {6, "无权限访问该用户数据"},
    {13, "获取token失败"},
    {14, "IAM鉴权失败"},
    {15, "应用不存在或者创建失败"},
    {17, "日配额流量超限"},
    {18, "QPS超限额"},
    {19, "请求总量超限额"},
    {100, "无效的access_token参数，请检查后重新尝试"},
    {110, "access_token无效"},
    {111, "access token过期"},
    {336000, "服务内部错误"},
    {336001, "入参格式有误"},
    {336002, "入参body不是标准的JSON格式"},
    {336003, "参数校验不合法"},
    {336004, "权限控制出错"},
    {336005, "定制化模型服务apiname不存在"},
    {336101, "非法的HTTP Method"},
};

} // namespace

const char* ForServiceCode(int32_t code)
{
    return TextForCode(kServiceCodes, code, kUnknownCodeText);
}

const char* const kStatusFormat = "文案服务请求失败，HTTP状态码：%d";
const char* const kEmptyResult = "文案服务没有返回生成的文本，请稍后重试";
const char* const kMalformedReply = "文案服务的回复格式有误：";
const char* const kBadAddress = "文案服务的网址无效，请检查配置文件：";

} // namespace CopywritingErrors
