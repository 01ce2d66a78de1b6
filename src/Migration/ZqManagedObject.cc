#include "Migration/ZqManagedObject.h"

std::optional<nlohmann::json> ZqJSONFromStoredValue(const zq_graph::Value* value) {
  if (!value) return nlohmann::json(nullptr);
  return std::visit(
      [](const auto& v) -> std::optional<nlohmann::json> {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, zq_graph::Date> || std::is_same_v<T, zq_graph::Data>) {
          return std::nullopt;
        } else {
          return nlohmann::json(v);
        }
      },
      value->storage);
}
