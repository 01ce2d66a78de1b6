#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

// The stand-in for the desktop's object-graph persistence with XML store files: a model
// (entities, typed attributes, relationships with inverses), a context holding the objects of
// one store file, fetches by entity, inserts, deletes and an atomic save that keeps every
// object, attribute and element the model does not know.
//
// Store files are untrusted: they are read with libxml2's streaming reader with network
// access, entity substitution and DTD loading off; a document that declares entities, is
// larger than the cap, or whose graph is inconsistent (duplicate ids, dangling or mistyped
// references, an object listed twice or by two owners, a value of the wrong type) is refused
// as a whole.
namespace velquarin::platform::objectgraph {

// How a value is written in the file.
enum class AttributeType {
  String,
  Int16,
  Int32,
  Int64,
  Decimal,
  Float,
  Double,
  Bool,
  Date,
  Binary
};
// What the model asks for: any numeric file type (including bool) is a number.
enum class ValueKind { Number, String, Date, Data };

struct Date {
  double sinceReferenceDate = 0;  // seconds since 2001-01-01 UTC
  bool operator==(const Date&) const = default;
};
using Data = std::vector<std::uint8_t>;

struct Value {
  AttributeType type = AttributeType::String;
  std::variant<std::int64_t, double, bool, std::string, Date, Data> storage;

  static Value integer(std::int64_t value, AttributeType type = AttributeType::Int64) {
    return {type, value};
  }
  static Value real(double value) { return {AttributeType::Double, value}; }
  static Value boolean(bool value) { return {AttributeType::Bool, value}; }
  static Value string(std::string value) { return {AttributeType::String, std::move(value)}; }
  static Value date(Date value) { return {AttributeType::Date, value}; }

  // A number of any kind as a double; nullopt for strings, dates and data.
  std::optional<double> number() const;
  // Truth of a number (not zero); nullopt for other kinds.
  std::optional<bool> truth() const;
  const std::string* string() const { return std::get_if<std::string>(&storage); }
  bool operator==(const Value&) const = default;
};

struct AttributeDescription {
  std::string name;
  ValueKind kind;
  AttributeType writeType;  // the file type used for values set here
};

struct RelationshipDescription {
  std::string name;
  std::string destination;
  std::string inverse;
  bool toMany = false;
  bool ordered = false;
};

struct EntityDescription {
  std::string name;
  std::vector<AttributeDescription> attributes;
  std::vector<RelationshipDescription> relationships;

  std::optional<std::size_t> attributeIndex(std::string_view attribute) const;
  std::optional<std::size_t> relationshipIndex(std::string_view relationship) const;
};

struct Model {
  std::vector<EntityDescription> entities;
  std::optional<std::size_t> entityIndex(std::string_view entity) const;
};

class Context;

class Object {
 public:
  const EntityDescription& entity() const { return *entity_; }
  Context* context() const { return context_; }
  const std::string& objectID() const { return id_; }
  bool isDeleted() const { return deleted_; }

  // nullptr when the attribute is absent (or the model has no such attribute).
  const Value* value(std::string_view attribute) const;
  // nullopt removes the value. Unknown names are ignored.
  void setValue(std::string_view attribute, std::optional<Value> value);

  // The related objects in stored order (set relationships keep the file's order too).
  const std::vector<Object*>& related(std::string_view relationship) const;
  Object* relatedOne(std::string_view relationship) const;
  // Both keep the inverse side in step.
  void setRelatedOne(std::string_view relationship, Object* object);
  void addRelated(std::string_view relationship, Object* object);
  void removeRelated(std::string_view relationship, Object* object);

 private:
  friend class Context;
  friend class StoreReader;
  Object(Context* context, std::size_t entityIndex, const EntityDescription* entity,
         std::string id);
  void linkOneSide(std::size_t relationship, Object* object);
  void unlinkOneSide(std::size_t relationship, Object* object);

  Context* context_;
  std::size_t entityIndex_;
  const EntityDescription* entity_;
  std::string id_;
  std::vector<std::optional<Value>> values_;
  std::vector<std::vector<Object*>> relationships_;
  std::vector<std::string> unknownElements_;  // verbatim XML, written back after the known ones
  bool deleted_ = false;
};

class Context {
 public:
  static constexpr std::size_t kDefaultMaxFileBytes = 256u << 20;

  explicit Context(Model model, std::size_t maxFileBytes = kDefaultMaxFileBytes);
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  const Model& model() const { return model_; }

  // Reads the store file; a path with nothing there attaches as a new, empty store. On
  // failure nothing is attached and `error` says why.
  bool attach(const std::string& path, std::string* error);
  // Forgets the attached store (objects handed out stay valid memory but are no longer
  // accessible). True also when none was attached.
  bool detach(std::string* error);
  bool isAttached() const { return attached_; }
  const std::string& path() const { return path_; }

  // The live objects of an entity in store order; nullopt (and `error`) without a store or
  // for an entity the model lacks.
  std::optional<std::vector<Object*>> fetch(std::string_view entity, std::string* error) const;
  // A new object of the entity; nullptr without a store or for an unknown entity.
  Object* insert(std::string_view entity);
  // Removes the object and its links from the graph.
  void deleteObject(Object* object);
  // True while the object belongs to the attached store and is not deleted.
  bool contains(const Object* object) const;

  bool hasChanges() const { return changed_; }
  // Writes the whole store atomically; on failure the file is untouched.
  bool save(std::string* error);
  // Drops every change since the last attach or save by reading the file again.
  void rollback();

 private:
  friend class Object;
  friend class StoreReader;
  struct Item {
    Object* object = nullptr;                 // or
    std::unique_ptr<std::string> unknownXml;  // an object of an entity the model does not know
  };
  void clear();
  void markChanged() { changed_ = true; }
  std::string serialize() const;

  Model model_;
  std::size_t maxFileBytes_;
  bool attached_ = false;
  bool changed_ = false;
  bool keepsEverything_ = true;  // false when an element it does not know could not be copied
  std::string path_;
  std::vector<std::unique_ptr<Object>> objects_;
  std::vector<std::unique_ptr<Object>> retired_;
  std::vector<std::vector<Object*>> byEntity_;
  std::vector<Item> order_;
  std::vector<std::string> infoElements_;  // databaseInfo children, verbatim
  std::vector<std::string> unknownTopLevel_;
  std::optional<std::string> doctypeSystemId_;
  std::uint64_t nextObjectID_ = 1;
};

// Now, in seconds since 2001-01-01 UTC.
double nowSinceReferenceDate();

// Converts between a value and its text in the file; nullopt when the text is not of the type.
std::optional<Value> parseValue(AttributeType type, std::string_view text);
std::string formatValue(const Value& value);
std::optional<AttributeType> attributeTypeNamed(std::string_view name);
const char* attributeTypeName(AttributeType type);

}  // namespace velquarin::platform::objectgraph
