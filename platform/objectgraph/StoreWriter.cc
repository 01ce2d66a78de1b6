#include <cstdint>
#include <span>

#include "files/DataWriter.h"
#include "objectgraph/ObjectGraph.h"
#include "objectgraph/ObjectGraphSupport.h"

// Writing a context back as a store file: every object, attribute and element it read and
// did not understand goes back as it was; the file is replaced atomically.
namespace velquarin::platform::objectgraph {

using namespace detail;

std::string Context::serialize() const {
  if (!XMLLibrary::get()) return {};
  std::unique_ptr<xmlBuffer, BufferDeleter> buffer(xml().xmlBufferCreate());
  if (!buffer) return {};
  std::unique_ptr<xmlTextWriter, WriterDeleter> writer(
      xml().xmlNewTextWriterMemory(buffer.get(), 0));
  if (!writer) return {};
  xmlTextWriterPtr w = writer.get();
  const auto text = [](const std::string& s) { return BAD_CAST s.c_str(); };
  bool ok = xml().xmlTextWriterStartDocument(w, "1.0", "UTF-8", nullptr) >= 0;
  if (doctypeSystemId_) {
    ok = ok && xml().xmlTextWriterWriteDTD(w, BAD_CAST "database", nullptr, text(*doctypeSystemId_),
                                           nullptr) >= 0;
  }
  ok = ok && xml().xmlTextWriterWriteRaw(w, BAD_CAST "\n") >= 0;
  ok = ok && xml().xmlTextWriterStartElement(w, BAD_CAST "database") >= 0;
  ok = ok && xml().xmlTextWriterStartElement(w, BAD_CAST "databaseInfo") >= 0;
  bool wroteNext = false;
  const auto writeNext = [&] {
    wroteNext = true;
    return xml().xmlTextWriterWriteElement(w, BAD_CAST "nextObjectID",
                                           text(std::to_string(nextObjectID_))) >= 0;
  };
  if (infoElements_.empty()) {
    ok = ok && xml().xmlTextWriterWriteElement(w, BAD_CAST "version", BAD_CAST "134481920") >= 0;
    std::unique_ptr<gchar, GFreeDeleter> uuid(g_uuid_string_random());
    ok = ok && xml().xmlTextWriterWriteElement(w, BAD_CAST "UUID", text(upper(uuid.get()))) >= 0;
  }
  for (const std::string& element : infoElements_) {
    ok = ok && (element.empty() ? writeNext() : xml().xmlTextWriterWriteRaw(w, text(element)) >= 0);
  }
  if (!wroteNext) ok = ok && writeNext();
  ok = ok && xml().xmlTextWriterEndElement(w) >= 0;
  for (const Item& item : order_) {
    if (!item.object) {
      ok = ok && xml().xmlTextWriterWriteRaw(w, text(*item.unknownXml)) >= 0;
      continue;
    }
    const Object& object = *item.object;
    if (object.deleted_) continue;
    ok = ok && xml().xmlTextWriterStartElement(w, BAD_CAST "object") >= 0;
    ok = ok && xml().xmlTextWriterWriteAttribute(w, BAD_CAST "type",
                                                 text(upper(object.entity_->name))) >= 0;
    ok = ok && xml().xmlTextWriterWriteAttribute(w, BAD_CAST "id", text(object.id_)) >= 0;
    for (std::size_t a = 0; a < object.values_.size(); ++a) {
      if (!object.values_[a]) continue;
      const Value& value = *object.values_[a];
      ok = ok && xml().xmlTextWriterStartElement(w, BAD_CAST "attribute") >= 0;
      ok = ok && xml().xmlTextWriterWriteAttribute(
                     w, BAD_CAST "name", text(lower(object.entity_->attributes[a].name))) >= 0;
      ok = ok && xml().xmlTextWriterWriteAttribute(w, BAD_CAST "type",
                                                   BAD_CAST attributeTypeName(value.type)) >= 0;
      ok = ok && xml().xmlTextWriterWriteString(w, text(formatValue(value))) >= 0;
      ok = ok && xml().xmlTextWriterEndElement(w) >= 0;
    }
    for (std::size_t r = 0; r < object.relationships_.size(); ++r) {
      const auto& description = object.entity_->relationships[r];
      std::string refs;
      for (const Object* target : object.relationships_[r]) {
        if (target->deleted_) continue;
        if (!refs.empty()) refs.push_back(' ');
        refs += target->id_;
      }
      ok = ok && xml().xmlTextWriterStartElement(w, BAD_CAST "relationship") >= 0;
      ok = ok && xml().xmlTextWriterWriteAttribute(w, BAD_CAST "name",
                                                   text(lower(description.name))) >= 0;
      ok = ok && xml().xmlTextWriterWriteAttribute(
                     w, BAD_CAST "type", BAD_CAST(description.toMany ? "0/0" : "1/1")) >= 0;
      ok = ok && xml().xmlTextWriterWriteAttribute(w, BAD_CAST "destination",
                                                   text(upper(description.destination))) >= 0;
      if (!refs.empty()) {
        ok = ok && xml().xmlTextWriterWriteAttribute(w, BAD_CAST "idrefs", text(refs)) >= 0;
      }
      ok = ok && xml().xmlTextWriterFullEndElement(w) >= 0;
    }
    for (const std::string& element : object.unknownElements_) {
      ok = ok && xml().xmlTextWriterWriteRaw(w, text(element)) >= 0;
    }
    ok = ok && xml().xmlTextWriterEndElement(w) >= 0;
  }
  for (const std::string& element : unknownTopLevel_) {
    ok = ok && xml().xmlTextWriterWriteRaw(w, text(element)) >= 0;
  }
  ok = ok && xml().xmlTextWriterEndDocument(w) >= 0;
  if (!ok) return {};
  writer.reset();
  return std::string(reinterpret_cast<const char*>(xml().xmlBufferContent(buffer.get())),
                     static_cast<std::size_t>(xml().xmlBufferLength(buffer.get())));
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

}  // namespace velquarin::platform::objectgraph
