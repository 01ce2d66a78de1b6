#include "updater/Appcast.h"

#include <strings.h>

#include <climits>
#include <map>
#include <memory>

#include "xml/XMLLibrary.h"

namespace velquarin::platform::updater {
namespace {

struct DocumentDeleter {
  void operator()(xmlDocPtr document) const { xml().xmlFreeDoc(document); }
};
struct ContextDeleter {
  void operator()(xmlParserCtxtPtr context) const { xml().xmlFreeParserCtxt(context); }
};
struct TextDeleter {
  void operator()(xmlChar* text) const { xml().freeMemory(text); }
};

std::string text(const xmlChar* value) {
  return value ? reinterpret_cast<const char*>(value) : std::string();
}

bool named(xmlNodePtr node, const char* name) {
  return node->type == XML_ELEMENT_NODE && !node->ns &&
         xml().xmlStrEqual(node->name, reinterpret_cast<const xmlChar*>(name));
}

// The element's name as properties spell it.
std::string nameOf(xmlNodePtr node) {
  const std::string local = text(node->name);
  if (!node->ns) return local;
  if (xml().xmlStrEqual(node->ns->href, reinterpret_cast<const xmlChar*>(kUpdaterNamespace))) {
    return "sparkle:" + local;
  }
  return node->ns->prefix ? text(node->ns->prefix) + ":" + local : local;
}

std::string attributeName(xmlAttrPtr attribute) {
  const std::string local = text(attribute->name);
  if (!attribute->ns) return local;
  if (xml().xmlStrEqual(attribute->ns->href, reinterpret_cast<const xmlChar*>(kUpdaterNamespace))) {
    return "sparkle:" + local;
  }
  return attribute->ns->prefix ? text(attribute->ns->prefix) + ":" + local : local;
}

std::string trimmed(std::string value) {
  const char* space = " \t\r\n";
  const auto first = value.find_first_not_of(space);
  if (first == std::string::npos) return {};
  return value.substr(first, value.find_last_not_of(space) - first + 1);
}

std::string contentOf(xmlNodePtr node) {
  std::unique_ptr<xmlChar, TextDeleter> content(xml().xmlNodeGetContent(node));
  return trimmed(text(content.get()));
}

nlohmann::json attributesOf(xmlNodePtr node) {
  auto attributes = nlohmann::json::object();
  for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next) {
    std::unique_ptr<xmlChar, TextDeleter> value(
        xml().xmlNodeListGetString(node->doc, attribute->children, 1));
    attributes[attributeName(attribute)] = text(value.get());
  }
  return attributes;
}

nlohmann::json valueOf(xmlNodePtr node, const std::string& name) {
  if (name == "enclosure") return attributesOf(node);
  auto children = nlohmann::json::array();
  if (name == "sparkle:deltas" || name == "sparkle:tags") {
    for (xmlNodePtr child = node->children; child; child = child->next) {
      if (child->type != XML_ELEMENT_NODE) continue;
      if (name == "sparkle:tags") {
        children.push_back(nameOf(child));
      } else if (nameOf(child) == "enclosure") {
        children.push_back(attributesOf(child));
      }
    }
    return children;
  }
  return contentOf(node);
}

std::string languageOf(xmlNodePtr node) {
  std::unique_ptr<xmlChar, TextDeleter> language(xml().xmlNodeGetLang(node));
  return text(language.get());
}

// 0 for the first preferred language, and so on; INT_MAX when none matches. "de" matches a
// preference "de-CH" and the other way round.
int rankOf(const std::string& language, const std::vector<std::string>& languages) {
  if (language.empty()) return INT_MAX;
  const auto primary = [](const std::string& tag) {
    return tag.substr(0, tag.find_first_of("-_"));
  };
  for (std::size_t i = 0; i < languages.size(); ++i) {
    if (strcasecmp(language.c_str(), languages[i].c_str()) == 0 ||
        strcasecmp(primary(language).c_str(), primary(languages[i]).c_str()) == 0) {
      return static_cast<int>(i);
    }
  }
  return INT_MAX;
}

AppcastItem itemOf(xmlNodePtr item, const std::vector<std::string>& languages) {
  AppcastItem result;
  std::map<std::string, int> ranks;
  for (xmlNodePtr child = item->children; child; child = child->next) {
    if (child->type != XML_ELEMENT_NODE) continue;
    const std::string name = nameOf(child);
    const int rank = rankOf(languageOf(child), languages);
    const auto seen = ranks.find(name);
    if (seen != ranks.end() && seen->second <= rank) continue;
    ranks[name] = rank;
    result.properties[name] = valueOf(child, name);
  }
  const auto& enclosure = result.properties.find("enclosure");
  if (enclosure != result.properties.end() && enclosure->contains("sparkle:version")) {
    result.versionString = (*enclosure)["sparkle:version"].get<std::string>();
  } else if (auto version = result.property("sparkle:version")) {
    result.versionString = *version;
  }
  return result;
}

void ignoreMessages(void*, const char*, ...) {}

// A DOCTYPE is where entities and DTDs come from: the parser stops at its name.
void refuseDocumentType(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  parser->_private = parser;  // marks the refusal
  xml().xmlStopParser(parser);
}

}  // namespace

std::optional<std::string> AppcastItem::property(const std::string& name) const {
  const auto found = properties.find(name);
  if (found == properties.end() || !found->is_string()) return std::nullopt;
  return found->get<std::string>();
}

std::optional<Appcast> parseAppcast(std::string_view feed,
                                    const std::vector<std::string>& languages, std::string* error) {
  const auto fail = [error](const char* reason) -> std::optional<Appcast> {
    if (error) *error = reason;
    return std::nullopt;
  };
  if (feed.size() > INT_MAX) return fail("the feed is too large");
  if (!XMLLibrary::get()) return fail("the XML library could not be loaded");
  std::unique_ptr<xmlParserCtxt, ContextDeleter> context(xml().xmlNewParserCtxt());
  if (!context) return fail("out of memory");
  context->sax->internalSubset = refuseDocumentType;
  context->sax->error = ignoreMessages;
  context->sax->warning = ignoreMessages;
  // No XML_PARSE_NOENT (entities stay unexpanded), no DTD loading, no network, default depth.
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;
  std::unique_ptr<xmlDoc, DocumentDeleter> document(xml().xmlCtxtReadMemory(
      context.get(), feed.data(), static_cast<int>(feed.size()), nullptr, "UTF-8", options));
  if (context->_private) return fail("the feed has a document type declaration");
  if (!document || !context->wellFormed) return fail("the feed is not well-formed XML");
  xmlNodePtr root = xml().xmlDocGetRootElement(document.get());
  if (!root || !named(root, "rss")) return fail("the feed is not an RSS document");
  xmlNodePtr channel = nullptr;
  for (xmlNodePtr child = root->children; child && !channel; child = child->next) {
    if (named(child, "channel")) channel = child;
  }
  if (!channel) return fail("the feed has no channel");
  Appcast appcast;
  for (xmlNodePtr child = channel->children; child; child = child->next) {
    if (named(child, "item")) appcast.items.push_back(itemOf(child, languages));
  }
  return appcast;
}

}  // namespace velquarin::platform::updater
