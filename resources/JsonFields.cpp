// Field checks shared by the JSON readers of the string and menu tables.
#include "resources/JsonFields.h"

#include <QByteArray>
#include <QJsonParseError>
#include <cmath>

namespace lumora::json {

namespace {

QString Key(std::string_view key) {
  return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

std::string Quoted(std::string_view key) { return "\"" + std::string(key) + "\""; }

}  // namespace

bool ParseObject(std::span<const uint8_t> bytes, QJsonObject& object, std::string& error) {
  const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<qsizetype>(bytes.size()));
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(raw, &parseError);
  if (parseError.error != QJsonParseError::NoError) {
    error = "JSON error at byte " + std::to_string(parseError.offset) + ": " +
            parseError.errorString().toStdString();
    return false;
  }
  if (!document.isObject()) {
    error = "the top level is not a JSON object";
    return false;
  }
  object = document.object();
  return true;
}

std::string CheckKeys(const QJsonObject& object, std::initializer_list<std::string_view> allowed) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    const std::string key = it.key().toStdString();
    bool known = false;
    for (std::string_view a : allowed) known = known || key == a;
    if (!known) return "unknown key " + Quoted(key);
  }
  return {};
}

std::string ReadUnsigned(const QJsonObject& object, std::string_view key, uint32_t max,
                         uint32_t& out) {
  const QJsonValue value = object.value(Key(key));
  if (value.isUndefined()) return "missing " + Quoted(key);
  if (!value.isDouble()) return Quoted(key) + " is not a number";
  const double d = value.toDouble();
  if (d < 0 || d > max || d != std::floor(d))
    return Quoted(key) + " " + value.toVariant().toString().toStdString() +
           " is not a whole number in 0.." + std::to_string(max);
  out = static_cast<uint32_t>(d);
  return {};
}

std::string ReadText(const QJsonObject& object, std::string_view key, size_t maxBytes,
                     std::string& out) {
  const QJsonValue value = object.value(Key(key));
  if (value.isUndefined()) return "missing " + Quoted(key);
  if (!value.isString()) return Quoted(key) + " is not a text";
  std::string text = value.toString().toStdString();
  if (text.empty()) return Quoted(key) + " is empty";
  if (text.size() > maxBytes)
    return Quoted(key) + " has " + std::to_string(text.size()) + " bytes, limit " +
           std::to_string(maxBytes);
  out = std::move(text);
  return {};
}

std::string ReadOptionalBool(const QJsonObject& object, std::string_view key, bool& out) {
  const QJsonValue value = object.value(Key(key));
  if (value.isUndefined()) return {};
  if (!value.isBool()) return Quoted(key) + " is not true or false";
  out = value.toBool();
  return {};
}

std::string CheckReviewFields(const QJsonObject& object) {
  const QJsonValue source = object.value(QStringLiteral("source"));
  if (!source.isUndefined() && source != QJsonValue(QStringLiteral("quoted")) &&
      source != QJsonValue(QStringLiteral("ours")))
    return "\"source\" is neither \"quoted\" nor \"ours\"";
  const QJsonValue note = object.value(QStringLiteral("note"));
  if (!note.isUndefined() && !note.isString()) return "\"note\" is not a text";
  return {};
}

}  // namespace lumora::json
