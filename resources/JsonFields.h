// Field checks shared by the JSON readers of the string and menu tables.
// Each returns an empty string when the field is fine, else what is wrong.
#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace lumora::json {

// Parses `bytes` as one JSON object; on failure `error` names the byte offset.
bool ParseObject(std::span<const uint8_t> bytes, QJsonObject& object, std::string& error);

// Refuses keys other than `allowed`.
std::string CheckKeys(const QJsonObject& object, std::initializer_list<std::string_view> allowed);

// Reads a whole number in 0..max from `key` (required).
std::string ReadUnsigned(const QJsonObject& object, std::string_view key, uint32_t max,
                         uint32_t& out);

// Reads a text of 1..maxBytes UTF-8 bytes from `key` (required).
std::string ReadText(const QJsonObject& object, std::string_view key, size_t maxBytes,
                     std::string& out);

// Reads an optional boolean; absent leaves `out` unchanged.
std::string ReadOptionalBool(const QJsonObject& object, std::string_view key, bool& out);

// Checks the review fields: "source" must be "quoted" or "ours" when present,
// "note" must be a text when present.
std::string CheckReviewFields(const QJsonObject& object);

}  // namespace lumora::json
