#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "http/HTTPRequest.h"
#include "http/URLError.h"

namespace velquarin::platform::http {

// Receives one transfer's events, on the main thread, in this order: responses (a refused
// redirect gives two: the first with its target), data chunks, then exactly one of
// finished or failed. Nothing follows the last event.
class TransferClient {
 public:
  virtual ~TransferClient() = default;
  // `location`: the absolute target of a redirect that is not followed.
  virtual void transferDidReceiveResponse(int statusCode,
                                          const std::optional<std::string>& location) = 0;
  virtual void transferDidReceiveData(std::span<const std::uint8_t> chunk) = 0;
  // Every byte of the final response, joined.
  virtual void transferDidFinishLoading(Body body) = 0;
  virtual void transferDidFail(const URLError& error) = 0;
};

// One HTTP(S) exchange on libcurl, driven by the main loop. Redirects are followed (or
// refused) here, bodies are decoded as the server encoded them, cookies are never sent or
// kept, and certificates are verified against the system store (SSL_CERT_FILE and
// SSL_CERT_DIR replace it, as for other TLS clients on Linux).
class Transfer {
 public:
  virtual ~Transfer() = default;

  // Main thread: starts loading. Events never arrive from inside this call; `client` must
  // outlive the transfer's last event or cancel it first.
  static std::shared_ptr<Transfer> start(Request request, TransferClient* client);

  // Main thread: stops loading; the client hears nothing more.
  virtual void cancel() = 0;
  // Whether the last event has been delivered (or the transfer cancelled).
  virtual bool finished() const = 0;
};

// For the platform binding and tests.
std::size_t transfersInFlight();
// Receive buffers kept for the next transfers (none once transfers have stopped for a while).
std::size_t receiveBuffersKept();
// Caps every transfer's body below its own limit (0 removes the cap).
void setMaximumBodySizeOverride(std::size_t bytes);

}  // namespace velquarin::platform::http
