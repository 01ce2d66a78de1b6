#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <deque>
#include <unordered_map>
#include <unordered_set>

#include "objectgraph/ObjectGraph.h"
#include "objectgraph/ObjectGraphSupport.h"

// Reading a store file into a context: the streaming reader and the checks that refuse an
// inconsistent graph as a whole.
namespace velquarin::platform::objectgraph {

using namespace detail;

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
    XmlText value(xml().xmlTextReaderGetAttribute(reader_, BAD_CAST name));
    return value ? reinterpret_cast<const char*>(value.get()) : std::string();
  }
  bool hasAttribute(const char* name) {
    XmlText value(xml().xmlTextReaderGetAttribute(reader_, BAD_CAST name));
    return value != nullptr;
  }
  std::string name() {
    const xmlChar* text = xml().xmlTextReaderConstName(reader_);
    return text ? reinterpret_cast<const char*>(text) : std::string();
  }
  std::string outerXml() {
    XmlText text(xml().xmlTextReaderReadOuterXml(reader_));
    if (!text) {
      // The element can be read past but not copied: a later save would drop it.
      context_.keepsEverything_ = false;
      return {};
    }
    return reinterpret_cast<const char*>(text.get());
  }
  std::string innerText() {
    XmlText text(xml().xmlTextReaderReadString(reader_));
    return text ? reinterpret_cast<const char*>(text.get()) : std::string();
  }

  // Moves to the next node; false at the end or on a parse error (recorded).
  bool advance() {
    const int result = xml().xmlTextReaderRead(reader_);
    if (result < 0) return fail(parseError_.empty() ? "XML parse error" : parseError_);
    if (result == 0) return false;
    if (xml().xmlTextReaderNodeType(reader_) == XML_READER_TYPE_ENTITY_REFERENCE) {
      return fail("entity references are not allowed");
    }
    return true;
  }
  // Moves past the current element's subtree.
  bool skip() {
    const int result = xml().xmlTextReaderNext(reader_);
    if (result < 0) return fail(parseError_.empty() ? "XML parse error" : parseError_);
    if (result == 0) return false;
    if (xml().xmlTextReaderNodeType(reader_) == XML_READER_TYPE_ENTITY_REFERENCE) {
      return fail("entity references are not allowed");
    }
    return true;
  }

  bool rejectDeclarations() {
    xmlNodePtr node = xml().xmlTextReaderCurrentNode(reader_);
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
    while (more && xml().xmlTextReaderNodeType(reader_) != XML_READER_TYPE_ELEMENT) {
      if (xml().xmlTextReaderNodeType(reader_) == XML_READER_TYPE_DOCUMENT_TYPE &&
          !rejectDeclarations()) {
        return false;
      }
      more = advance();
    }
    if (!error_.empty()) return false;
    if (!more) return fail("no root element");
    if (name() != "database") return fail("the root element is not a database");
    if (xml().xmlTextReaderIsEmptyElement(reader_)) {
      while (advance()) {
      }
      return error_.empty();
    }
    more = advance();
    while (more) {
      const int type = xml().xmlTextReaderNodeType(reader_);
      if (type == XML_READER_TYPE_END_ELEMENT && xml().xmlTextReaderDepth(reader_) == 0) break;
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
    if (xml().xmlTextReaderIsEmptyElement(reader_)) return advance();
    const int depth = xml().xmlTextReaderDepth(reader_);
    bool more = advance();
    while (more) {
      const int type = xml().xmlTextReaderNodeType(reader_);
      if (type == XML_READER_TYPE_END_ELEMENT && xml().xmlTextReaderDepth(reader_) == depth) {
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
    if (xml().xmlTextReaderIsEmptyElement(reader_)) return advance();

    const int depth = xml().xmlTextReaderDepth(reader_);
    std::vector<bool> seenRelationships(entity.relationships.size());
    bool more = advance();
    while (more) {
      const int nodeType = xml().xmlTextReaderNodeType(reader_);
      if (nodeType == XML_READER_TYPE_END_ELEMENT && xml().xmlTextReaderDepth(reader_) == depth) {
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
  if (!XMLLibrary::get()) {
    if (error) *error = path + ": the XML library could not be loaded";
    return false;
  }
  ReaderPtr reader(xml().xmlReaderForFd(fd, nullptr, nullptr, kReaderOptions));
  if (!reader) {
    if (error) *error = path + ": cannot be read";
    return false;
  }
  StoreReader storeReader(*this, reader.get());
  xml().xmlTextReaderSetStructuredErrorHandler(reader.get(), &StoreReader::onError, &storeReader);
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

}  // namespace velquarin::platform::objectgraph
