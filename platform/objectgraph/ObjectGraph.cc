#include "objectgraph/ObjectGraph.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>

#include "objectgraph/ObjectGraphSupport.h"

// The model: values, entity descriptions, objects and the context that owns them. Reading a
// store file is StoreReader.cc's job, writing one StoreWriter.cc's.
namespace velquarin::platform::objectgraph {

using namespace detail;

// ---------------------------------------------------------------------------------------
// Values

double nowSinceReferenceDate() {
  constexpr double kReferenceDateSinceEpoch = 978307200;
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
             .count() -
         kReferenceDateSinceEpoch;
}

std::optional<double> Value::number() const {
  if (auto* i = std::get_if<std::int64_t>(&storage)) return static_cast<double>(*i);
  if (auto* d = std::get_if<double>(&storage)) return *d;
  if (auto* b = std::get_if<bool>(&storage)) return *b ? 1.0 : 0.0;
  return std::nullopt;
}

std::optional<bool> Value::truth() const {
  if (auto* i = std::get_if<std::int64_t>(&storage)) return *i != 0;
  if (auto* d = std::get_if<double>(&storage)) return *d != 0;
  if (auto* b = std::get_if<bool>(&storage)) return *b;
  return std::nullopt;
}

std::optional<AttributeType> attributeTypeNamed(std::string_view name) {
  static constexpr std::pair<std::string_view, AttributeType> kNames[] = {
      {"string", AttributeType::String},   {"int16", AttributeType::Int16},
      {"int32", AttributeType::Int32},     {"int64", AttributeType::Int64},
      {"decimal", AttributeType::Decimal}, {"float", AttributeType::Float},
      {"double", AttributeType::Double},   {"bool", AttributeType::Bool},
      {"date", AttributeType::Date},       {"binary", AttributeType::Binary}};
  for (const auto& [text, type] : kNames) {
    if (text == name) return type;
  }
  return std::nullopt;
}

const char* attributeTypeName(AttributeType type) {
  switch (type) {
    case AttributeType::String:
      return "string";
    case AttributeType::Int16:
      return "int16";
    case AttributeType::Int32:
      return "int32";
    case AttributeType::Int64:
      return "int64";
    case AttributeType::Decimal:
      return "decimal";
    case AttributeType::Float:
      return "float";
    case AttributeType::Double:
      return "double";
    case AttributeType::Bool:
      return "bool";
    case AttributeType::Date:
      return "date";
    case AttributeType::Binary:
      return "binary";
  }
  return "string";
}

std::optional<Value> parseValue(AttributeType type, std::string_view text) {
  switch (type) {
    case AttributeType::String:
      return Value{type, std::string(text)};
    case AttributeType::Binary: {
      auto data = decodeBase64(text);
      if (!data) return std::nullopt;
      return Value{type, std::move(*data)};
    }
    default:
      break;
  }
  const std::string_view t = trim(text);
  if (t.empty()) return std::nullopt;
  const char* end = t.data() + t.size();
  if (type == AttributeType::Int16 || type == AttributeType::Int32 ||
      type == AttributeType::Int64) {
    std::int64_t number = 0;
    auto [ptr, ec] = std::from_chars(t.data(), end, number);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    const std::int64_t limit = type == AttributeType::Int16   ? 32767
                               : type == AttributeType::Int32 ? 2147483647
                                                              : INT64_MAX;
    if (number > limit || number < -limit - 1) return std::nullopt;
    return Value{type, number};
  }
  if (type == AttributeType::Bool) {
    if (t == "1") return Value{type, true};
    if (t == "0") return Value{type, false};
    return std::nullopt;
  }
  double number = 0;
  auto [ptr, ec] = std::from_chars(t.data(), end, number);
  if (ec != std::errc() || ptr != end || !std::isfinite(number)) return std::nullopt;
  if (type == AttributeType::Date) return Value{type, Date{number}};
  return Value{type, number};
}

std::string formatValue(const Value& value) {
  return std::visit(
      [](const auto& v) -> std::string {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::string>) {
          return v;
        } else if constexpr (std::is_same_v<T, bool>) {
          return v ? "1" : "0";
        } else if constexpr (std::is_same_v<T, std::int64_t>) {
          return std::to_string(v);
        } else if constexpr (std::is_same_v<T, Data>) {
          if (v.empty()) return {};
          std::unique_ptr<gchar, GFreeDeleter> text(g_base64_encode(v.data(), v.size()));
          return text.get();
        } else {
          double number;
          if constexpr (std::is_same_v<T, Date>) {
            number = v.sinceReferenceDate;
          } else {
            number = v;
          }
          char buffer[64];
          auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, number);
          return ec == std::errc() ? std::string(buffer, ptr) : std::string("0");
        }
      },
      value.storage);
}

// ---------------------------------------------------------------------------------------
// Model

std::optional<std::size_t> EntityDescription::attributeIndex(std::string_view attribute) const {
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    if (attributes[i].name == attribute) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> EntityDescription::relationshipIndex(
    std::string_view relationship) const {
  for (std::size_t i = 0; i < relationships.size(); ++i) {
    if (relationships[i].name == relationship) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> Model::entityIndex(std::string_view entity) const {
  for (std::size_t i = 0; i < entities.size(); ++i) {
    if (entities[i].name == entity) return i;
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------------------
// Objects

Object::Object(Context* context, std::size_t entityIndex, const EntityDescription* entity,
               std::string id)
    : context_(context),
      entityIndex_(entityIndex),
      entity_(entity),
      id_(std::move(id)),
      values_(entity->attributes.size()),
      relationships_(entity->relationships.size()) {}

const Value* Object::value(std::string_view attribute) const {
  const auto index = entity_->attributeIndex(attribute);
  if (!index || !values_[*index]) return nullptr;
  return &*values_[*index];
}

void Object::setValue(std::string_view attribute, std::optional<Value> value) {
  const auto index = entity_->attributeIndex(attribute);
  if (!index || deleted_) return;
  if (value && !kindAccepts(entity_->attributes[*index].kind, value->type)) return;
  values_[*index] = std::move(value);
  context_->markChanged();
}

const std::vector<Object*>& Object::related(std::string_view relationship) const {
  static const std::vector<Object*> kNone;
  const auto index = entity_->relationshipIndex(relationship);
  return index ? relationships_[*index] : kNone;
}

Object* Object::relatedOne(std::string_view relationship) const {
  const auto& objects = related(relationship);
  return objects.empty() ? nullptr : objects.front();
}

void Object::linkOneSide(std::size_t relationship, Object* object) {
  auto& list = relationships_[relationship];
  if (std::find(list.begin(), list.end(), object) != list.end()) return;
  if (!entity_->relationships[relationship].toMany) {
    for (Object* old : list) {
      if (auto inverse =
              old->entity_->relationshipIndex(entity_->relationships[relationship].inverse)) {
        old->unlinkOneSide(*inverse, this);
      }
    }
    list.clear();
  }
  list.push_back(object);
}

void Object::unlinkOneSide(std::size_t relationship, Object* object) {
  auto& list = relationships_[relationship];
  list.erase(std::remove(list.begin(), list.end(), object), list.end());
}

void Object::addRelated(std::string_view relationship, Object* object) {
  const auto index = entity_->relationshipIndex(relationship);
  if (!index || !object || deleted_ || object->deleted_ || object->context_ != context_) return;
  const auto& description = entity_->relationships[*index];
  if (object->entity_->name != description.destination) return;
  linkOneSide(*index, object);
  if (auto inverse = object->entity_->relationshipIndex(description.inverse)) {
    object->linkOneSide(*inverse, this);
  }
  context_->markChanged();
}

void Object::setRelatedOne(std::string_view relationship, Object* object) {
  const auto index = entity_->relationshipIndex(relationship);
  if (!index || deleted_) return;
  if (!object) {
    for (Object* old : std::vector<Object*>(relationships_[*index]))
      removeRelated(relationship, old);
    return;
  }
  addRelated(relationship, object);
}

void Object::removeRelated(std::string_view relationship, Object* object) {
  const auto index = entity_->relationshipIndex(relationship);
  if (!index || !object) return;
  unlinkOneSide(*index, object);
  if (auto inverse = object->entity_->relationshipIndex(entity_->relationships[*index].inverse)) {
    object->unlinkOneSide(*inverse, this);
  }
  context_->markChanged();
}

// ---------------------------------------------------------------------------------------
// Context

Context::Context(Model model, std::size_t maxFileBytes)
    : model_(std::move(model)), maxFileBytes_(maxFileBytes) {
  initLibxml();
}

Context::~Context() = default;

void Context::clear() {
  for (auto& object : objects_) {
    object->deleted_ = true;
    retired_.push_back(std::move(object));
  }
  objects_.clear();
  byEntity_.assign(model_.entities.size(), {});
  order_.clear();
  infoElements_.clear();
  unknownTopLevel_.clear();
  doctypeSystemId_.reset();
  nextObjectID_ = 1;
  changed_ = false;
  keepsEverything_ = true;
  attached_ = false;
}

bool Context::detach(std::string* /*error*/) {
  clear();
  path_.clear();
  return true;
}

std::optional<std::vector<Object*>> Context::fetch(std::string_view entity,
                                                   std::string* error) const {
  if (!attached_) {
    if (error) *error = "no store is attached";
    return std::nullopt;
  }
  const auto index = model_.entityIndex(entity);
  if (!index) {
    if (error) *error = "no entity named " + std::string(entity);
    return std::nullopt;
  }
  std::vector<Object*> result;
  result.reserve(byEntity_[*index].size());
  for (Object* object : byEntity_[*index]) {
    if (!object->deleted_) result.push_back(object);
  }
  return result;
}

Object* Context::insert(std::string_view entity) {
  const auto index = model_.entityIndex(entity);
  if (!attached_ || !index) return nullptr;
  objects_.push_back(std::unique_ptr<Object>(
      new Object(this, *index, &model_.entities[*index], "z" + std::to_string(nextObjectID_++))));
  Object* object = objects_.back().get();
  byEntity_[*index].push_back(object);
  order_.push_back({object, nullptr});
  changed_ = true;
  return object;
}

void Context::deleteObject(Object* object) {
  if (!contains(object)) return;
  for (std::size_t r = 0; r < object->relationships_.size(); ++r) {
    for (Object* target : std::vector<Object*>(object->relationships_[r])) {
      object->removeRelated(object->entity_->relationships[r].name, target);
    }
  }
  object->deleted_ = true;
  changed_ = true;
}

bool Context::contains(const Object* object) const {
  return object && attached_ && object->context_ == this && !object->deleted_ &&
         std::any_of(objects_.begin(), objects_.end(),
                     [object](const auto& owned) { return owned.get() == object; });
}

void Context::rollback() {
  if (!attached_) return;
  const std::string path = path_;
  std::string ignored;
  attach(path, &ignored);
}

}  // namespace velquarin::platform::objectgraph
