#include "Migration/ZqGoogleAppState.h"

nlohmann::json ZqGoogleAppState::dictionaryWithValues() const {
  const auto identifierText = identifier();
  const auto urlText = url();
  return {{"identifier", identifierText ? nlohmann::json(*identifierText) : nlohmann::json()},
          {"url", urlText ? nlohmann::json(*urlText) : nlohmann::json()}};
}
