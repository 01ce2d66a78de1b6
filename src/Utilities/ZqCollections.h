#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <utility>
#include <vector>

// Collection helpers for the Parts that build lists for the host.

// The value, or JSON null when it is missing, so a missing field is written rather than dropped.
template <typename T>
nlohmann::json ZqSanitizeValue(const std::optional<T>& value) {
  return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}
inline nlohmann::json ZqSanitizeValue(const nlohmann::json* value) {
  return value ? *value : nlohmann::json(nullptr);
}

// The block's result for each element in order; the block may set `stop` to end early.
template <typename Range, typename Block>
auto ZqMap(const Range& elements, Block&& block) {
  using Result = decltype(block(*std::begin(elements), std::size_t{0}, std::declval<bool&>()));
  std::vector<Result> result;
  std::size_t index = 0;
  bool stop = false;
  for (const auto& element : elements) {
    result.push_back(block(element, index++, stop));
    if (stop) break;
  }
  return result;
}

// The elements for which the predicate holds, in order.
template <typename Range, typename Predicate>
auto ZqFilter(const Range& elements, Predicate&& predicate) {
  std::vector<std::decay_t<decltype(*std::begin(elements))>> result;
  for (const auto& element : elements) {
    if (predicate(element)) result.push_back(element);
  }
  return result;
}

// Folds from first to last; `initial` for an empty range, without calling the block.
template <typename Accumulator, typename Range, typename Block>
Accumulator ZqReduce(Accumulator initial, const Range& elements, Block&& block) {
  for (const auto& element : elements) initial = block(std::move(initial), element);
  return initial;
}

// The first element for which the predicate holds (not a boolean), or nullopt.
template <typename Range, typename Predicate>
auto ZqSome(const Range& elements, Predicate&& predicate)
    -> std::optional<std::decay_t<decltype(*std::begin(elements))>> {
  for (const auto& element : elements) {
    if (predicate(element)) return element;
  }
  return std::nullopt;
}
