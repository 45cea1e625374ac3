#include "ObjectMeta.h"

#include "JsonReply.h"

std::optional<std::string> ObjectMeta::ToBlock() const
{
    auto json = web::json::value::object();
    json["key"] = web::json::value::string(key);
    json["content_type"] = web::json::value::string(contentType);
    json["etag"] = web::json::value::string(etag);
    json["size"] = web::json::value::number(size);
    json["modified"] = web::json::value::number(modified);
    std::string block = json.serialize();
    if (block.size() >= kBlockBytes)
        return std::nullopt;
    block.resize(kBlockBytes - 1, ' ');
    block += '\n';
    return block;
}

std::optional<ObjectMeta> ObjectMeta::FromBlock(const std::string &block)
{
    const auto json = JsonReply::Parse(block);
    if (!json || !json->is_object() || !json->has_string_field("key") || !json->has_string_field("content_type") ||
        !json->has_string_field("etag") || !json->has_number_field("size") || !json->has_number_field("modified"))
        return std::nullopt;
    const auto &size = json->at("size").as_number();
    const auto &modified = json->at("modified").as_number();
    if (!size.is_uint64() || !modified.is_int64())
        return std::nullopt;
    ObjectMeta meta;
    meta.key = json->at("key").as_string();
    meta.contentType = json->at("content_type").as_string();
    meta.etag = json->at("etag").as_string();
    meta.size = size.to_uint64();
    meta.modified = modified.to_int64();
    return meta;
}
