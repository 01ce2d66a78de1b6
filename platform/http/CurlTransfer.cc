#include "http/CurlTransfer.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "bundle/Bundle.h"
#include "http/HTTPEngine.h"
#include "http/ReceiveBuffers.h"
#include "runloop/Clock.h"

namespace velquarin::platform::http {
namespace {

// A followed redirect's own body is thrown away; past this much the connection is dropped
// instead of read to its end.
constexpr std::size_t kMaximumDiscardedBytes = 1 << 20;

URLError makeError(long code, std::string url, std::string detail) {
  URLError error;
  error.code = code;
  error.failingURL = std::move(url);
  error.debugDescription = std::move(detail);
  return error;
}

bool isCredentialField(const std::string& name) {
  return strcasecmp(name.c_str(), "Authorization") == 0 ||
         strcasecmp(name.c_str(), "Proxy-Authorization") == 0 ||
         strcasecmp(name.c_str(), "Cookie") == 0;
}

const std::string& userAgent() {
  static const std::string agent = [] {
    auto bundle = Bundle::main();
    std::string name = bundle ? bundle->infoString("CFBundleName").value_or("") : "";
    std::string version = bundle ? bundle->infoString("CFBundleVersion").value_or("") : "";
    if (name.empty()) name = "Velquarin";
    std::string text = version.empty() ? name : name + "/" + version;
    const curl_version_info_data* info = curl().version_info(CURLVERSION_NOW);
    if (info && info->version) text += std::string(" libcurl/") + info->version;
    return text;
  }();
  return agent;
}

// What a handle's CAINFO and CAPATH are before anything sets them.
struct TrustDefaults {
  const char* file = nullptr;
  const char* directory = nullptr;
};

const TrustDefaults& trustDefaults() {
  static const TrustDefaults defaults = [] {
    TrustDefaults made;
    const curl_version_info_data* info = curl().version_info(CURLVERSION_NOW);
    if (info && info->age >= CURLVERSION_SEVENTH) {
      made.file = info->cainfo;
      made.directory = info->capath;
    }
    return made;
  }();
  return defaults;
}

// The environment's setting (as for other TLS clients on Linux), else curl's default. Read
// per hop: the host may change its environment between requests.
const char* trustSetting(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  return value && *value ? value : fallback;
}

}  // namespace

bool CurlTransfer::setStandingOptions(CURL* easy) {
  // Options every transfer shares: set once per handle, which keeps them across transfers.
  bool ok = true;
  auto set = [&ok](CURLcode code) { ok = ok && code == CURLE_OK; };
  set(curl().easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https"));
  set(curl().easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
  // Redirects are followed here, hop by hop, so each target is checked and methods change
  // the way user agents change them.
  set(curl().easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L));
  set(curl().easy_setopt(easy, CURLOPT_NOSIGNAL, 1L));
  set(curl().easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, ""));  // every decoder curl has
  set(curl().easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L));
  set(curl().easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferBytes));
  set(curl().easy_setopt(easy, CURLOPT_USERAGENT, userAgent().c_str()));
  set(curl().easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &Engine::onCloseSocket));
  set(curl().easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlTransfer::onHeader));
  set(curl().easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::onWrite));
  return ok;
}

std::shared_ptr<Transfer> Transfer::start(Request request, TransferClient* client) {
  auto transfer = std::make_shared<CurlTransfer>(std::move(request), client);
  Engine::shared().perform([transfer] { transfer->begin(); }, false);
  return transfer;
}

CurlTransfer::CurlTransfer(Request request, TransferClient* client)
    : request_(std::move(request)), client_(client) {}

CurlTransfer::~CurlTransfer() = default;

std::size_t CurlTransfer::bodyLimit() const {
  const std::size_t override = Engine::shared().bodySizeOverride();
  return override ? std::min(override, request_.maximumBodySize) : request_.maximumBodySize;
}

void CurlTransfer::begin() {
  Engine& engine = Engine::shared();
  engine.transferBegan();
  counted_ = true;
  state_ = State::Running;
  url_ = request_.url;
  method_ = request_.method;
  touch();

  if (!isToken(method_)) {
    fail(makeError(kURLErrorUnknown, url_, "the request method is not an HTTP token"));
    return;
  }
  const auto scheme = schemeOf(url_);
  if (!scheme || (*scheme != "http" && *scheme != "https")) {
    fail(makeError(kURLErrorUnsupportedURL, url_, "only http and https URLs are loaded"));
    return;
  }
  if (!MainQueue::shared().driver()) {
    fail(makeError(kURLErrorCannotLoadFromNetwork, url_, "no event loop drives the transfer"));
    return;
  }
  if (!CurlLibrary::get()) {
    fail(makeError(kURLErrorCannotLoadFromNetwork, url_, "the HTTP library could not be loaded"));
    return;
  }
  if (!configureHop() || !engine.add(shared_from_this())) {
    fail(makeError(kURLErrorUnknown, url_, "the transfer could not be set up"));
    return;
  }
  engine.watchIdleDeadline(idleDeadline());
}

bool CurlTransfer::configureHop() {
  if (!easy_) easy_ = Engine::shared().takeEasy();
  if (!easy_) return false;
  headersDone_ = false;
  status_ = 0;
  redirecting_ = false;
  redirectTarget_.reset();
  discarded_ = 0;
  body_.clear();
  errorBuffer_[0] = '\0';

  headerList_.reset();
  for (const auto& [name, value] : request_.headers) {
    // The host side drops invalid fields with a warning; this is the last line of defence.
    if (!isToken(name) || !isValidHeaderValue(value)) continue;
    if (dropCredentials_ && isCredentialField(name)) continue;
    // "Name:" would remove curl's own field; "Name;" sends the field with an empty value.
    const std::string line = value.empty() ? name + ";" : name + ": " + value;
    curl_slist* next = curl().slist_append(headerList_.get(), line.c_str());
    if (!next) return false;
    if (next != headerList_.get()) {
      (void)headerList_.release();  // an empty list: `next` is the new head that owns all
      headerList_.reset(next);
    }
  }

  CURL* easy = easy_.get();
  bool ok = true;
  auto set = [&ok](CURLcode code) { ok = ok && code == CURLE_OK; };
  // Everything a previous transfer on this handle may have set differently is set again.
  set(curl().easy_setopt(easy, CURLOPT_URL, url_.c_str()));
  set(curl().easy_setopt(easy, CURLOPT_PRIVATE, this));
  set(curl().easy_setopt(easy, CURLOPT_HTTPHEADER, headerList_.get()));
  set(curl().easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer_));
  set(curl().easy_setopt(easy, CURLOPT_HEADERDATA, this));
  set(curl().easy_setopt(easy, CURLOPT_WRITEDATA, this));
  // Only https hops use an authority, and a plain hop redirected to https is a hop of its own.
  if (strncasecmp(url_.c_str(), "https:", 6) == 0) {
    const TrustDefaults& trust = trustDefaults();
    set(curl().easy_setopt(easy, CURLOPT_CAINFO, trustSetting("SSL_CERT_FILE", trust.file)));
    set(curl().easy_setopt(easy, CURLOPT_CAPATH, trustSetting("SSL_CERT_DIR", trust.directory)));
  }
  // HTTPGET also takes back NOBODY; CUSTOMREQUEST is cleared unless this hop needs it.
  const bool head = method_ == "HEAD";
  set(curl().easy_setopt(easy, head ? CURLOPT_NOBODY : CURLOPT_HTTPGET, 1L));
  const bool custom = !head && method_ != "GET";
  set(curl().easy_setopt(easy, CURLOPT_CUSTOMREQUEST, custom ? method_.c_str() : nullptr));
  return ok;
}

size_t CurlTransfer::onHeader(char* line, size_t size, size_t count, void* self) {
  return static_cast<CurlTransfer*>(self)->headerLine(line, size * count);
}

size_t CurlTransfer::onWrite(char* bytes, size_t size, size_t count, void* self) {
  return static_cast<CurlTransfer*>(self)->bodyBytes(bytes, size * count);
}

size_t CurlTransfer::headerLine(const char* line, size_t length) {
  touch();
  const bool blank = length == 0 || line[0] == '\r' || line[0] == '\n';
  if (blank) headersEnded();
  // A non-matching count makes curl stop with CURLE_WRITE_ERROR.
  return pendingError_ ? 0 : length;
}

void CurlTransfer::headersEnded() {
  CURL* easy = easy_.get();
  long status = 0;
  curl().easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  // Interim (1xx) heads come first; after the final head only trailers can end a block.
  if (status < 200 || headersDone_) return;
  headersDone_ = true;
  status_ = status;

  std::optional<std::string> location;
  curl_header* field = nullptr;
  if (isRedirectStatus(status) &&
      curl().easy_header(easy, "Location", 0, CURLH_HEADER, -1, &field) == CURLHE_OK && field &&
      field->value && *field->value) {
    location = resolveURL(url_, field->value);
  }
  if (location && request_.followRedirects) {
    redirecting_ = true;
    redirectTarget_ = std::move(location);
    return;
  }
  if (method_ != "HEAD") {
    curl_off_t length = -1;
    curl().easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    curl_header* encoding = nullptr;
    const bool encoded =
        curl().easy_header(easy, "Content-Encoding", 0, CURLH_HEADER, -1, &encoding) == CURLHE_OK;
    if (length > 0 && !encoded) {
      if (static_cast<unsigned long long>(length) > bodyLimit()) {
        pendingError_ = makeError(kURLErrorDataLengthExceedsMaximum, url_,
                                  "the announced body is larger than the receiver can hold");
        return;
      }
      // One block of the announced size; a failure here only means growing later.
      body_.reserve(static_cast<std::size_t>(length));
    }
  }
  // A refused redirect is reported twice, as a redirect and then as the response it is.
  for (int pass = location ? 0 : 1; pass < 2; ++pass) {
    Event event(Event::Kind::Response);
    event.status = static_cast<int>(status);
    if (pass == 0) event.location = location;
    queue(std::move(event));
  }
}

size_t CurlTransfer::bodyBytes(const char* bytes, size_t length) {
  touch();
  if (redirecting_) {
    discarded_ += length;
    return discarded_ > kMaximumDiscardedBytes ? 0 : length;
  }
  const std::size_t offset = body_.size();
  switch (body_.append(bytes, length, bodyLimit())) {
    case Body::Append::Ok:
      break;
    case Body::Append::TooLarge:
      pendingError_ = makeError(kURLErrorDataLengthExceedsMaximum, url_,
                                "the body is larger than the receiver can hold");
      return 0;
    case Body::Append::NoMemory:
      pendingError_ = makeError(kURLErrorDataLengthExceedsMaximum, url_,
                                "out of memory while receiving the body");
      return 0;
  }
  if (length == 0) return 0;
  Event event(Event::Kind::Data);
  event.offset = offset;
  event.length = length;
  queue(std::move(event));
  return length;
}

void CurlTransfer::curlDone(CURLcode result) {
  if (state_ != State::Running) return;
  if (pendingError_) {
    fail(std::move(*pendingError_));
  } else if (redirecting_ && (result == CURLE_OK || result == CURLE_WRITE_ERROR)) {
    followRedirect();
  } else if (result != CURLE_OK) {
    fail(urlErrorForCurlCode(result, url_, errorBuffer_));
  } else if (!headersDone_) {
    fail(makeError(kURLErrorBadServerResponse, url_, "the server sent no response head"));
  } else {
    finish();
  }
}

void CurlTransfer::followRedirect() {
  Engine& engine = Engine::shared();
  const std::string target = *redirectTarget_;
  if (++redirects_ > kMaximumRedirects) {
    fail(makeError(kURLErrorHTTPTooManyRedirects, target, "the redirect limit was reached"));
    return;
  }
  if (!isHTTPURL(target)) {
    fail(makeError(kURLErrorUnsupportedURL, target, "redirects may only lead to http or https"));
    return;
  }
  // Credentials the host gave for one origin are not handed to another.
  if (!isSameOrigin(url_, target)) dropCredentials_ = true;
  method_ = methodAfterRedirect(method_, status_);
  engine.remove(*this);
  url_ = target;
  if (!configureHop() || !engine.add(shared_from_this())) {
    fail(makeError(kURLErrorUnknown, url_, "the redirect could not be set up"));
  }
}

void CurlTransfer::finish() {
  queue(Event(Event::Kind::Finish));
  state_ = State::Settled;
  settle();
}

void CurlTransfer::fail(URLError error) {
  // Data already received stays deliverable, but nothing follows the failure.
  Event event(Event::Kind::Fail);
  event.error = std::move(error);
  queue(std::move(event));
  state_ = State::Settled;
  settle();
}

void CurlTransfer::settle() {
  Engine& engine = Engine::shared();
  engine.remove(*this);
  if (easy_) engine.returnEasy(std::move(easy_));
  headerList_.reset();
  engine.markDirty(shared_from_this());
}

void CurlTransfer::queue(Event event) {
  if (event.kind == Event::Kind::Data && !events_.empty()) {
    Event& last = events_.back();
    if (last.kind == Event::Kind::Data && last.offset + last.length == event.offset) {
      last.length += event.length;  // one event for bytes that arrived in one loop turn
      return;
    }
  }
  events_.push_back(std::move(event));
  Engine::shared().markDirty(shared_from_this());
}

void CurlTransfer::flush() {
  if (flushing_) return;  // a listener drained the queue under us; the outer loop goes on
  flushing_ = true;
  auto keep = shared_from_this();
  while (!events_.empty() && client_) {
    Event event = std::move(events_.front());
    events_.pop_front();
    switch (event.kind) {
      case Event::Kind::Response:
        client_->transferDidReceiveResponse(event.status, event.location);
        break;
      case Event::Kind::Data:
        client_->transferDidReceiveData(
            std::span<const std::uint8_t>(body_.data() + event.offset, event.length));
        break;
      case Event::Kind::Finish:
      case Event::Kind::Fail: {
        TransferClient* client = std::exchange(client_, nullptr);
        state_ = State::Finished;
        events_.clear();
        if (counted_) {
          counted_ = false;
          Engine::shared().transferEnded();
        }
        if (event.kind == Event::Kind::Finish) {
          client->transferDidFinishLoading(std::move(body_));
        } else {
          client->transferDidFail(*event.error);
        }
        break;
      }
    }
  }
  flushing_ = false;
}

void CurlTransfer::cancel() {
  client_ = nullptr;
  events_.clear();
  if (state_ == State::Finished) return;
  const bool running = state_ == State::Running;
  state_ = State::Finished;
  if (counted_) {
    counted_ = false;
    Engine::shared().transferEnded();
  }
  auto self = shared_from_this();
  if (running) {
    Engine::shared().perform([self] { self->settle(); }, false);
  }
}

void CurlTransfer::touch() {
  lastActivity_ = Clock::now();
}

void CurlTransfer::timedOut() {
  if (state_ != State::Running) return;
  fail(makeError(kURLErrorTimedOut, url_, "no data moved within the timeout"));
}

}  // namespace velquarin::platform::http
