// The previous version's XML stores: the store reader with the accounts model or the
// workspace model (the first byte chooses), the entity wrappers over what it read, and the
// round trip: a store that reads is written back and read again into the same objects, and
// from the second writing on the bytes stay the same. (The first writing may still change
// how kept XML spells a character: libxml2 writes "&#x170;" for it when the file declared
// no encoding, the character itself once the file says UTF-8.)

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzSupport.h"
#include "Migration/ZqAccount.h"
#include "Migration/ZqAccounts.h"
#include "Migration/ZqGoogleAppIdentifier.h"
#include "Migration/ZqWorkspaceStates.h"
#include "Utilities/ZqJSON.h"
#include "objectgraph/ObjectGraph.h"

namespace {

namespace graph = velquarin::platform::objectgraph;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string idsOf(const std::vector<graph::Object*>& objects) {
  std::string ids;
  for (const graph::Object* object : objects) ids += object->objectID() + " ";
  return ids;
}

// Every live object, attribute and link of `a` is in `b`, in the same order.
void expectSameGraph(const graph::Context& a, const graph::Context& b) {
  for (const graph::EntityDescription& entity : a.model().entities) {
    const auto left = a.fetch(entity.name, nullptr);
    const auto right = b.fetch(entity.name, nullptr);
    ZQ_FUZZ_CHECK(left && right, entity.name);
    ZQ_FUZZ_CHECK(idsOf(*left) == idsOf(*right),
                  entity.name + ": " + idsOf(*left) + "| " + idsOf(*right));
    for (std::size_t i = 0; i < left->size(); ++i) {
      const graph::Object& x = *(*left)[i];
      const graph::Object& y = *(*right)[i];
      for (const auto& attribute : entity.attributes) {
        const graph::Value* vx = x.value(attribute.name);
        const graph::Value* vy = y.value(attribute.name);
        ZQ_FUZZ_CHECK((vx == nullptr) == (vy == nullptr), x.objectID() + "." + attribute.name);
        if (vx) {
          ZQ_FUZZ_CHECK(*vx == *vy, x.objectID() + "." + attribute.name + ": " +
                                        graph::formatValue(*vx) + " | " + graph::formatValue(*vy));
        }
      }
      for (const auto& relationship : entity.relationships) {
        ZQ_FUZZ_CHECK(idsOf(x.related(relationship.name)) == idsOf(y.related(relationship.name)),
                      x.objectID() + "." + relationship.name);
      }
    }
  }
}

// What the migration export derives from accounts: none of it may fail on a readable store
// except for values JSON cannot hold.
void exerciseAccounts(graph::Context& context) {
  const auto accounts = context.fetch("Account", nullptr);
  ZQ_FUZZ_CHECK(accounts.has_value(), "");
  for (graph::Object* object : *accounts) {
    const ZqAccount account(object);
    (void)account.order();
    (void)account.username();
    (void)account.detectUnreadCountTypeAsBOOL();
    (void)account.isGmailChatBlockedAsBOOL();
    (void)account.isGoogleDriveBlockedAsBOOL();
    (void)account.numberOfDownloadItems();
    for (const ZqRecipient& recipient : account.autoBccRecipients()) {
      ZQ_FUZZ_CHECK(!recipient.address().empty() && recipient.name().empty(), recipient.address());
    }
    for (const ZqBookmark& bookmark : account.bookmarksOrdered()) {
      if (auto record = bookmark.dictionaryWithValues()) {
        // Text read from XML is UTF-8, so the record always becomes JSON text.
        ZQ_FUZZ_CHECK(ZqConvertToJSONString(*record).has_value(), record->dump());
      }
    }
    (void)account.downloadItemsSortedByDefault();
    (void)account.signaturesForEmail(std::nullopt);
    const auto json = ZqJSONFromStoredValue(object->value("username"));
    if (json) ZQ_FUZZ_CHECK(ZqConvertToJSONString(nlohmann::json::array({*json})), "");
  }
}

void exerciseWorkspaces(graph::Context& context) {
  const auto states = context.fetch("WorkspaceState", nullptr);
  ZQ_FUZZ_CHECK(states.has_value(), "");
  for (graph::Object* object : *states) {
    const ZqWorkspaceState state(object);
    (void)state.lastUpdatedAt();
    (void)state.active();
    for (const ZqGoogleAppState& app : state.appStates()) {
      ZQ_FUZZ_CHECK(app.workspaceState() == object, app.object()->objectID());
      (void)app.dictionaryWithValues().dump();
      const auto text = app.identifier();
      if (!text) continue;
      const auto identifier = ZqGoogleAppIdentifier::tryIdentifierWithDescription(*text);
      if (!identifier) continue;
      // The written form of a parsed identifier reads back as the same identifier.
      const auto again =
          ZqGoogleAppIdentifier::tryIdentifierWithDescription(identifier->description());
      ZQ_FUZZ_CHECK(again && *again == *identifier, *text + " -> " + identifier->description());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool accounts = (data[0] & 1) == 0;
  const std::string_view xml(reinterpret_cast<const char*>(data + 1), size - 1);
  const graph::Model model = accounts ? ZqAccounts::model() : ZqWorkspaceStates::model();
  const std::string path = zqFuzzWriteScratchFile("store.xml", xml);

  graph::Context first(model);
  std::string error;
  if (!first.attach(path, &error)) return 0;
  if (accounts) {
    exerciseAccounts(first);
  } else {
    exerciseWorkspaces(first);
  }

  // A store that was read must be writable, or migrating it would lose it.
  ZQ_FUZZ_CHECK(first.save(&error), error);
  graph::Context second(model);
  ZQ_FUZZ_CHECK(second.attach(path, &error), error + "\n" + readFile(path));
  expectSameGraph(first, second);
  ZQ_FUZZ_CHECK(second.save(&error), error);
  const std::string rewritten = readFile(path);
  graph::Context third(model);
  ZQ_FUZZ_CHECK(third.attach(path, &error), error + "\n" + rewritten);
  expectSameGraph(second, third);
  ZQ_FUZZ_CHECK(third.save(&error), error);
  const std::string again = readFile(path);
  ZQ_FUZZ_CHECK(rewritten == again, rewritten + "\n----\n" + again);
  return 0;
}
