#pragma once

// The libcurl implementation of Transfer. Internal to platform/http.

#include <curl/curl.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "http/CurlHandles.h"
#include "http/HTTPTransfer.h"
#include "runloop/MainQueue.h"

namespace velquarin::platform::http {

class CurlTransfer final : public Transfer, public std::enable_shared_from_this<CurlTransfer> {
 public:
  CurlTransfer(Request request, TransferClient* client);
  ~CurlTransfer() override;

  void cancel() override;
  bool finished() const override { return state_ == State::Finished; }

  // Inside Engine::perform().
  void begin();
  void curlDone(CURLcode result);
  // When the idle time-out runs out if no byte moves before; past it, timedOut() fails it.
  double idleDeadline() const { return lastActivity_ + request_.timeoutSeconds; }
  void timedOut();
  // Delivers queued events to the client (main thread, outside curl).
  void flush();

  // Sets the options every transfer shares on a new handle; false when curl refuses one.
  static bool setStandingOptions(CURL* easy);

  CURL* easy() const { return easy_.get(); }
  bool dirty = false;

 private:
  enum class State { Created, Running, Settled, Finished };
  struct Event {
    enum class Kind { Response, Data, Finish, Fail };
    explicit Event(Kind what) : kind(what) {}
    Kind kind;
    int status = 0;
    std::optional<std::string> location;
    std::size_t offset = 0;  // data: the chunk's place in the body
    std::size_t length = 0;
    std::optional<URLError> error;
  };

  static size_t onHeader(char* line, size_t size, size_t count, void* self);
  static size_t onWrite(char* bytes, size_t size, size_t count, void* self);
  size_t headerLine(const char* line, size_t length);
  size_t bodyBytes(const char* bytes, size_t length);
  void headersEnded();

  bool configureHop();
  void followRedirect();
  void finish();
  void fail(URLError error);
  void settle();
  void queue(Event event);
  void touch();
  std::size_t bodyLimit() const;

  Request request_;
  TransferClient* client_;
  State state_ = State::Created;
  CurlEasy easy_;
  CurlSlist headerList_;
  std::string url_;
  std::string method_;
  int redirects_ = 0;
  bool dropCredentials_ = false;

  // The current hop (one request/response exchange).
  bool headersDone_ = false;
  long status_ = 0;
  bool redirecting_ = false;
  std::optional<std::string> redirectTarget_;
  std::size_t discarded_ = 0;
  Body body_;
  std::optional<URLError> pendingError_;
  char errorBuffer_[CURL_ERROR_SIZE] = {};

  std::deque<Event> events_;
  bool flushing_ = false;
  bool counted_ = false;
  double lastActivity_ = 0;
};

}  // namespace velquarin::platform::http
