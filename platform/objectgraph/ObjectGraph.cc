#include "objectgraph/ObjectGraph.h"

#include <fcntl.h>
#include <glib.h>
#include <libxml/xmlreader.h>
#include <libxml/xmlwriter.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <unordered_set>

#include "files/DataWriter.h"

namespace velquarin::platform::objectgraph {
namespace {

struct ReaderDeleter {
  void operator()(xmlTextReaderPtr reader) const { xmlFreeTextReader(reader); }
};
using ReaderPtr = std::unique_ptr<xmlTextReader, ReaderDeleter>;
struct XmlCharDeleter {
  void operator()(xmlChar* text) const { xmlFree(text); }
};
using XmlText = std::unique_ptr<xmlChar, XmlCharDeleter>;
struct BufferDeleter {
  void operator()(xmlBufferPtr buffer) const { xmlBufferFree(buffer); }
};
struct WriterDeleter {
  void operator()(xmlTextWriterPtr writer) const { xmlFreeTextWriter(writer); }
};
struct GFreeDeleter {
  void operator()(void* memory) const { g_free(memory); }
};
struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) close(fd);
  }
};

// Network and entity handling stay at their safe defaults: no NOENT, DTDLOAD, DTDATTR or HUGE.
constexpr int kReaderOptions = XML_PARSE_NONET | XML_PARSE_NOCDATA;

void initLibxml() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

std::string lower(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

std::string_view trim(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

bool kindAccepts(ValueKind kind, AttributeType type) {
  switch (kind) {
    case ValueKind::String:
      return type == AttributeType::String;
    case ValueKind::Date:
      return type == AttributeType::Date;
    case ValueKind::Data:
      return type == AttributeType::Binary;
    case ValueKind::Number:
      return type != AttributeType::String && type != AttributeType::Date &&
             type != AttributeType::Binary;
  }
  return false;
}

std::optional<Data> decodeBase64(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '/' && c != '=') {
      return std::nullopt;
    }
    compact.push_back(c);
  }
  if (compact.size() % 4 != 0) return std::nullopt;
  gsize length = 0;
  std::unique_ptr<guchar, GFreeDeleter> bytes(g_base64_decode(compact.c_str(), &length));
  if (!bytes && !compact.empty()) return std::nullopt;
  return Data(bytes.get(), bytes.get() + length);
}

}  // namespace

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
// Reading

class StoreReader {
 public:
  StoreReader(Context& context, xmlTextReaderPtr reader) : context_(context), reader_(reader) {
    // The file spells entities in upper case and properties in lower case.
    for (const EntityDescription& entity : context.model_.entities) {
      entityNames_.push_back(upper(entity.name));
      std::vector<std::string> attributes;
      for (const auto& attribute : entity.attributes) attributes.push_back(lower(attribute.name));
      attributeNames_.push_back(std::move(attributes));
      std::vector<std::string> relationships;
      for (const auto& relationship : entity.relationships) {
        relationships.push_back(lower(relationship.name));
      }
      relationshipNames_.push_back(std::move(relationships));
    }
  }

  bool read(std::string* error) {
    if (!readDocument()) {
      if (error) *error = error_.empty() ? "malformed store file" : error_;
      return false;
    }
    if (!resolve()) {
      if (error) *error = error_;
      return false;
    }
    return true;
  }

 private:
  struct Pending {
    Object* object;
    std::size_t relationship;
    std::string idrefs;
  };

  bool fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
  }

  std::string attribute(const char* name) {
    XmlText value(xmlTextReaderGetAttribute(reader_, BAD_CAST name));
    return value ? reinterpret_cast<const char*>(value.get()) : std::string();
  }
  bool hasAttribute(const char* name) {
    XmlText value(xmlTextReaderGetAttribute(reader_, BAD_CAST name));
    return value != nullptr;
  }
  std::string name() {
    const xmlChar* text = xmlTextReaderConstName(reader_);
    return text ? reinterpret_cast<const char*>(text) : std::string();
  }
  std::string outerXml() {
    XmlText text(xmlTextReaderReadOuterXml(reader_));
    if (!text) {
      // The element can be read past but not copied: a later save would drop it.
      context_.keepsEverything_ = false;
      return {};
    }
    return reinterpret_cast<const char*>(text.get());
  }
  std::string innerText() {
    XmlText text(xmlTextReaderReadString(reader_));
    return text ? reinterpret_cast<const char*>(text.get()) : std::string();
  }

  // Moves to the next node; false at the end or on a parse error (recorded).
  bool advance() {
    const int result = xmlTextReaderRead(reader_);
    if (result < 0) return fail(parseError_.empty() ? "XML parse error" : parseError_);
    if (result == 0) return false;
    if (xmlTextReaderNodeType(reader_) == XML_READER_TYPE_ENTITY_REFERENCE) {
      return fail("entity references are not allowed");
    }
    return true;
  }
  // Moves past the current element's subtree.
  bool skip() {
    const int result = xmlTextReaderNext(reader_);
    if (result < 0) return fail(parseError_.empty() ? "XML parse error" : parseError_);
    if (result == 0) return false;
    if (xmlTextReaderNodeType(reader_) == XML_READER_TYPE_ENTITY_REFERENCE) {
      return fail("entity references are not allowed");
    }
    return true;
  }

  bool rejectDeclarations() {
    xmlNodePtr node = xmlTextReaderCurrentNode(reader_);
    if (!node || node->type != XML_DTD_NODE) return true;
    auto* dtd = reinterpret_cast<xmlDtdPtr>(node);
    if (dtd->entities || dtd->pentities || dtd->children) {
      return fail("document type declarations are not allowed");
    }
    if (dtd->SystemID) context_.doctypeSystemId_ = reinterpret_cast<const char*>(dtd->SystemID);
    return true;
  }

 public:
  static void onError(void* context, xmlErrorPtr error) {
    auto* self = static_cast<StoreReader*>(context);
    if (error && self->parseError_.empty()) {
      self->parseError_ = "line " + std::to_string(error->line) + ": " +
                          std::string(error->message ? error->message : "XML error");
      while (!self->parseError_.empty() && self->parseError_.back() == '\n') {
        self->parseError_.pop_back();
      }
    }
  }

 private:
  bool readDocument() {
    bool more = advance();
    while (more && xmlTextReaderNodeType(reader_) != XML_READER_TYPE_ELEMENT) {
      if (xmlTextReaderNodeType(reader_) == XML_READER_TYPE_DOCUMENT_TYPE &&
          !rejectDeclarations()) {
        return false;
      }
      more = advance();
    }
    if (!error_.empty()) return false;
    if (!more) return fail("no root element");
    if (name() != "database") return fail("the root element is not a database");
    if (xmlTextReaderIsEmptyElement(reader_)) {
      while (advance()) {
      }
      return error_.empty();
    }
    more = advance();
    while (more) {
      const int type = xmlTextReaderNodeType(reader_);
      if (type == XML_READER_TYPE_END_ELEMENT && xmlTextReaderDepth(reader_) == 0) break;
      if (type != XML_READER_TYPE_ELEMENT) {
        more = advance();
        continue;
      }
      const std::string element = name();
      if (element == "databaseInfo") {
        more = readInfo();
      } else if (element == "object") {
        more = readObject();
      } else {
        context_.unknownTopLevel_.push_back(outerXml());
        more = skip();
      }
      if (!error_.empty()) return false;
    }
    if (!error_.empty()) return false;
    if (!more) return fail("the database element is not closed");
    // Read to the end so trailing garbage is noticed.
    while (advance()) {
    }
    return error_.empty();
  }

  bool readInfo() {
    if (xmlTextReaderIsEmptyElement(reader_)) return advance();
    const int depth = xmlTextReaderDepth(reader_);
    bool more = advance();
    while (more) {
      const int type = xmlTextReaderNodeType(reader_);
      if (type == XML_READER_TYPE_END_ELEMENT && xmlTextReaderDepth(reader_) == depth) {
        return advance();
      }
      if (type != XML_READER_TYPE_ELEMENT) {
        more = advance();
        continue;
      }
      if (name() == "nextObjectID") {
        const std::string text = innerText();
        std::uint64_t next = 0;
        const std::string_view t = trim(text);
        auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), next);
        if (ec != std::errc() || ptr != t.data() + t.size()) return fail("bad nextObjectID");
        context_.nextObjectID_ = std::max<std::uint64_t>(context_.nextObjectID_, next);
        context_.infoElements_.emplace_back();  // rewritten on save
      } else {
        context_.infoElements_.push_back(outerXml());
      }
      more = skip();
    }
    return false;
  }

  bool noteId(const std::string& id) {
    if (id.empty()) return fail("an object without id");
    // References are lists split at white space: an id holding some could never be named
    // again once the store is written.
    if (id.find_first_of(" \t\n\r") != std::string::npos) {
      return fail("object id \"" + id + "\" holds white space");
    }
    if (objectsById_.contains(id)) return fail("duplicate object id " + id);
    // Keep new ids clear of every "z<number>" id in the file.
    if (id.size() > 1 && id[0] == 'z') {
      std::uint64_t number = 0;
      auto [ptr, ec] = std::from_chars(id.data() + 1, id.data() + id.size(), number);
      if (ec == std::errc() && ptr == id.data() + id.size() && number < UINT64_MAX) {
        context_.nextObjectID_ = std::max(context_.nextObjectID_, number + 1);
      }
    }
    return true;
  }

  bool readObject() {
    const std::string type = attribute("type");
    const std::string id = attribute("id");
    if (type.empty()) return fail("an object without type");
    if (!noteId(id)) return false;
    std::optional<std::size_t> entityIndex;
    for (std::size_t i = 0; i < context_.model_.entities.size(); ++i) {
      if (entityNames_[i] == type) entityIndex = i;
    }
    if (!entityIndex) {
      // Known by id (for the duplicate check) but not a target any reference may name.
      unknownIds_.push_back(id);
      objectsById_.emplace(unknownIds_.back(), nullptr);
      context_.order_.push_back({nullptr, std::make_unique<std::string>(outerXml())});
      return skip();
    }
    const EntityDescription& entity = context_.model_.entities[*entityIndex];
    context_.objects_.push_back(
        std::unique_ptr<Object>(new Object(&context_, *entityIndex, &entity, id)));
    Object* object = context_.objects_.back().get();
    objectsById_.emplace(object->id_, object);
    context_.byEntity_[*entityIndex].push_back(object);
    context_.order_.push_back({object, nullptr});
    if (xmlTextReaderIsEmptyElement(reader_)) return advance();

    const int depth = xmlTextReaderDepth(reader_);
    std::vector<bool> seenRelationships(entity.relationships.size());
    bool more = advance();
    while (more) {
      const int nodeType = xmlTextReaderNodeType(reader_);
      if (nodeType == XML_READER_TYPE_END_ELEMENT && xmlTextReaderDepth(reader_) == depth) {
        return advance();
      }
      if (nodeType != XML_READER_TYPE_ELEMENT) {
        more = advance();
        continue;
      }
      const std::string element = name();
      const std::string property = attribute("name");
      if (element == "attribute") {
        std::optional<std::size_t> index;
        for (std::size_t i = 0; i < entity.attributes.size(); ++i) {
          if (attributeNames_[*entityIndex][i] == property) index = i;
        }
        if (!index) {
          object->unknownElements_.push_back(outerXml());
        } else {
          const auto fileType = attributeTypeNamed(attribute("type"));
          if (!fileType) return fail("unknown attribute type in " + id);
          if (!kindAccepts(entity.attributes[*index].kind, *fileType)) {
            return fail("attribute " + property + " of " + id + " has the wrong type");
          }
          if (object->values_[*index]) return fail("attribute " + property + " repeated in " + id);
          auto value = parseValue(*fileType, innerText());
          if (!value) return fail("attribute " + property + " of " + id + " is not valid");
          object->values_[*index] = std::move(*value);
        }
      } else if (element == "relationship") {
        std::optional<std::size_t> index;
        for (std::size_t i = 0; i < entity.relationships.size(); ++i) {
          if (relationshipNames_[*entityIndex][i] == property) index = i;
        }
        if (!index) {
          object->unknownElements_.push_back(outerXml());
        } else {
          if (seenRelationships[*index])
            return fail("relationship " + property + " repeated in " + id);
          seenRelationships[*index] = true;
          pending_.push_back({object, *index, attribute("idrefs")});
        }
      } else {
        object->unknownElements_.push_back(outerXml());
      }
      more = skip();
    }
    return false;
  }

  bool resolve() {
    // Owners seen for each (object, inverse to-one), to refuse an object claimed twice.
    for (const Pending& pending : pending_) {
      Object* object = pending.object;
      const auto& description = object->entity_->relationships[pending.relationship];
      auto& list = object->relationships_[pending.relationship];
      std::string_view refs = pending.idrefs;
      while (!refs.empty()) {
        const auto start = refs.find_first_not_of(" \t\n\r");
        if (start == std::string_view::npos) break;
        refs.remove_prefix(start);
        const auto end = std::min(refs.find_first_of(" \t\n\r"), refs.size());
        const std::string_view ref = refs.substr(0, end);
        refs.remove_prefix(end);
        const auto found = objectsById_.find(ref);
        if (found == objectsById_.end() || !found->second) {
          return fail("dangling reference " + std::string(ref) + " in " + object->id_);
        }
        Object* target = found->second;
        if (target == object) return fail("object " + object->id_ + " refers to itself");
        if (target->entity_->name != description.destination) {
          return fail("reference " + std::string(ref) + " of " + object->id_ +
                      " has the wrong entity");
        }
        if (std::find(list.begin(), list.end(), target) != list.end()) {
          return fail("reference " + std::string(ref) + " listed twice in " + object->id_);
        }
        list.push_back(target);
      }
      if (!description.toMany && list.size() > 1) {
        return fail("to-one relationship " + description.name + " of " + object->id_ +
                    " lists several objects");
      }
    }
    // Each inverse pair must agree: an object on a to-many list belongs to that owner only.
    for (const auto& owned : context_.objects_) {
      Object* object = owned.get();
      for (std::size_t r = 0; r < object->relationships_.size(); ++r) {
        const auto& description = object->entity_->relationships[r];
        if (description.inverse.empty()) continue;
        for (Object* target : object->relationships_[r]) {
          const auto inverse = target->entity_->relationshipIndex(description.inverse);
          if (!inverse) continue;
          const auto& back = target->relationships_[*inverse];
          if (std::find(back.begin(), back.end(), object) != back.end()) continue;
          const bool inverseToMany = target->entity_->relationships[*inverse].toMany;
          if (!inverseToMany && !back.empty()) {
            return fail("object " + target->id_ + " is claimed by " + object->id_ + " and by " +
                        back.front()->id_);
          }
          // One side was left out of the file: complete it.
          target->relationships_[*inverse].push_back(object);
        }
      }
    }
    return true;
  }

  Context& context_;
  xmlTextReaderPtr reader_;
  std::string error_;
  std::string parseError_;
  // Keys view the objects' own ids (and unknownIds_), which outlive the reader.
  std::unordered_map<std::string_view, Object*> objectsById_;
  std::deque<std::string> unknownIds_;
  std::vector<Pending> pending_;
  std::vector<std::string> entityNames_;
  std::vector<std::vector<std::string>> attributeNames_;
  std::vector<std::vector<std::string>> relationshipNames_;
};

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

bool Context::attach(const std::string& path, std::string* error) {
  clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) {
      path_ = path;
      attached_ = true;
      return true;
    }
    if (error) *error = path + ": " + std::strerror(errno);
    return false;
  }
  FdCloser closer{fd};
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (error) *error = path + ": not a regular file";
    return false;
  }
  if (static_cast<std::uint64_t>(info.st_size) > maxFileBytes_) {
    if (error) *error = path + ": larger than " + std::to_string(maxFileBytes_) + " bytes";
    return false;
  }
  ReaderPtr reader(xmlReaderForFd(fd, nullptr, nullptr, kReaderOptions));
  if (!reader) {
    if (error) *error = path + ": cannot be read";
    return false;
  }
  StoreReader storeReader(*this, reader.get());
  xmlTextReaderSetStructuredErrorHandler(reader.get(), &StoreReader::onError, &storeReader);
  std::string why;
  if (!storeReader.read(&why)) {
    clear();
    if (error) *error = path + ": " + why;
    return false;
  }
  path_ = path;
  attached_ = true;
  return true;
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

std::string Context::serialize() const {
  std::unique_ptr<xmlBuffer, BufferDeleter> buffer(xmlBufferCreate());
  if (!buffer) return {};
  std::unique_ptr<xmlTextWriter, WriterDeleter> writer(xmlNewTextWriterMemory(buffer.get(), 0));
  if (!writer) return {};
  xmlTextWriterPtr w = writer.get();
  const auto text = [](const std::string& s) { return BAD_CAST s.c_str(); };
  bool ok = xmlTextWriterStartDocument(w, "1.0", "UTF-8", nullptr) >= 0;
  if (doctypeSystemId_) {
    ok = ok && xmlTextWriterWriteDTD(w, BAD_CAST "database", nullptr, text(*doctypeSystemId_),
                                     nullptr) >= 0;
  }
  ok = ok && xmlTextWriterWriteRaw(w, BAD_CAST "\n") >= 0;
  ok = ok && xmlTextWriterStartElement(w, BAD_CAST "database") >= 0;
  ok = ok && xmlTextWriterStartElement(w, BAD_CAST "databaseInfo") >= 0;
  bool wroteNext = false;
  const auto writeNext = [&] {
    wroteNext = true;
    return xmlTextWriterWriteElement(w, BAD_CAST "nextObjectID",
                                     text(std::to_string(nextObjectID_))) >= 0;
  };
  if (infoElements_.empty()) {
    ok = ok && xmlTextWriterWriteElement(w, BAD_CAST "version", BAD_CAST "134481920") >= 0;
    std::unique_ptr<gchar, GFreeDeleter> uuid(g_uuid_string_random());
    ok = ok && xmlTextWriterWriteElement(w, BAD_CAST "UUID", text(upper(uuid.get()))) >= 0;
  }
  for (const std::string& element : infoElements_) {
    ok = ok && (element.empty() ? writeNext() : xmlTextWriterWriteRaw(w, text(element)) >= 0);
  }
  if (!wroteNext) ok = ok && writeNext();
  ok = ok && xmlTextWriterEndElement(w) >= 0;
  for (const Item& item : order_) {
    if (!item.object) {
      ok = ok && xmlTextWriterWriteRaw(w, text(*item.unknownXml)) >= 0;
      continue;
    }
    const Object& object = *item.object;
    if (object.deleted_) continue;
    ok = ok && xmlTextWriterStartElement(w, BAD_CAST "object") >= 0;
    ok = ok &&
         xmlTextWriterWriteAttribute(w, BAD_CAST "type", text(upper(object.entity_->name))) >= 0;
    ok = ok && xmlTextWriterWriteAttribute(w, BAD_CAST "id", text(object.id_)) >= 0;
    for (std::size_t a = 0; a < object.values_.size(); ++a) {
      if (!object.values_[a]) continue;
      const Value& value = *object.values_[a];
      ok = ok && xmlTextWriterStartElement(w, BAD_CAST "attribute") >= 0;
      ok = ok && xmlTextWriterWriteAttribute(w, BAD_CAST "name",
                                             text(lower(object.entity_->attributes[a].name))) >= 0;
      ok = ok && xmlTextWriterWriteAttribute(w, BAD_CAST "type",
                                             BAD_CAST attributeTypeName(value.type)) >= 0;
      ok = ok && xmlTextWriterWriteString(w, text(formatValue(value))) >= 0;
      ok = ok && xmlTextWriterEndElement(w) >= 0;
    }
    for (std::size_t r = 0; r < object.relationships_.size(); ++r) {
      const auto& description = object.entity_->relationships[r];
      std::string refs;
      for (const Object* target : object.relationships_[r]) {
        if (target->deleted_) continue;
        if (!refs.empty()) refs.push_back(' ');
        refs += target->id_;
      }
      ok = ok && xmlTextWriterStartElement(w, BAD_CAST "relationship") >= 0;
      ok =
          ok && xmlTextWriterWriteAttribute(w, BAD_CAST "name", text(lower(description.name))) >= 0;
      ok = ok && xmlTextWriterWriteAttribute(w, BAD_CAST "type",
                                             BAD_CAST(description.toMany ? "0/0" : "1/1")) >= 0;
      ok = ok && xmlTextWriterWriteAttribute(w, BAD_CAST "destination",
                                             text(upper(description.destination))) >= 0;
      if (!refs.empty()) {
        ok = ok && xmlTextWriterWriteAttribute(w, BAD_CAST "idrefs", text(refs)) >= 0;
      }
      ok = ok && xmlTextWriterFullEndElement(w) >= 0;
    }
    for (const std::string& element : object.unknownElements_) {
      ok = ok && xmlTextWriterWriteRaw(w, text(element)) >= 0;
    }
    ok = ok && xmlTextWriterEndElement(w) >= 0;
  }
  for (const std::string& element : unknownTopLevel_) {
    ok = ok && xmlTextWriterWriteRaw(w, text(element)) >= 0;
  }
  ok = ok && xmlTextWriterEndDocument(w) >= 0;
  if (!ok) return {};
  writer.reset();
  return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
                     static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

bool Context::save(std::string* error) {
  if (!attached_) {
    if (error) *error = "no store is attached";
    return false;
  }
  if (!keepsEverything_) {
    if (error) *error = "parts of the store could not be kept as written and would be lost";
    return false;
  }
  const std::string bytes = serialize();
  if (bytes.empty()) {
    if (error) *error = "the store could not be written as XML";
    return false;
  }
  const auto failure = writeData(
      path_, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), true);
  if (failure) {
    if (error) *error = failure->description();
    return false;
  }
  changed_ = false;
  return true;
}

void Context::rollback() {
  if (!attached_) return;
  const std::string path = path_;
  std::string ignored;
  attach(path, &ignored);
}

}  // namespace velquarin::platform::objectgraph
