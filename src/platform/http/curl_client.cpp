#include "platform/http/curl_client.h"

#include <curl/curl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <mutex>

namespace vorel::platform {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollInterval = std::chrono::milliseconds(15);
constexpr long kMaxRedirects = 10;
constexpr long kBufferSize = 128 * 1024;
constexpr std::uint64_t kMaxReserve = 64u * 1024 * 1024;

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view HeaderName(std::string_view line) {
  const auto colon = line.find_first_of(":;");
  return colon == std::string_view::npos ? line : line.substr(0, colon);
}

// A line with nothing after its colon would make curl drop the header; "Name;" is how
// curl is told to send "Name:" with an empty value.
std::string CurlHeaderLine(const std::string& line) {
  const auto colon = line.find(':');
  if (colon == std::string::npos) return line;
  if (line.find_first_not_of(" \t", colon + 1) != std::string::npos) return line;
  return line.substr(0, colon) + ";";
}

std::optional<std::string> TrustFileFromEnvironment() {
  const char* file = std::getenv("SSL_CERT_FILE");
  if (!file || !*file) return std::nullopt;
  struct stat info {};
  if (stat(file, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return std::string(file);
}

bool IsHttpUrl(const std::string& url) {
  CURLU* parsed = curl_url();
  if (!parsed) return false;
  bool ok = false;
  if (curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
    char* scheme = nullptr;
    char* host = nullptr;
    if (curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
        curl_url_get(parsed, CURLUPART_HOST, &host, 0) == CURLUE_OK) {
      ok = (EqualsIgnoringCase(scheme, "http") || EqualsIgnoringCase(scheme, "https")) && *host;
    }
    curl_free(scheme);
    curl_free(host);
  }
  curl_url_cleanup(parsed);
  return ok;
}

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

// What the callbacks of one transfer share.
struct Transfer {
  const HttpRequest* request = nullptr;
  HttpResult* result = nullptr;
  CURL* easy = nullptr;
  Clock::time_point lastActivity = Clock::now();
  bool requestSent = false;      // connected and sending; our response clock runs
  bool inHeaderBlock = false;    // between a status line and the empty line after it
  bool headersComplete = false;  // the current response's header block has ended
  int blockStatus = 0;           // status code of the current header block
  bool bodyStarted = false;
  bool sinkRefused = false;
  curl_off_t uploaded = 0;

  // Whether a failure now falls in the body: the final header block has been read.
  bool InBody() const { return bodyStarted || (headersComplete && blockStatus >= 200); }
};

int StatusOf(std::string_view statusLine) {
  const auto blank = statusLine.find(' ');
  if (blank == std::string_view::npos) return 0;
  int code = 0;
  for (std::size_t i = blank + 1; i < statusLine.size() && i < blank + 4; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(statusLine[i]))) return 0;
    code = code * 10 + (statusLine[i] - '0');
  }
  return code;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const size_t total = size * count;
  t.lastActivity = Clock::now();
  std::string_view line(data, total);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.substr(0, 5) == "HTTP/") {
    t.result->rawHeaders.clear();
    t.inHeaderBlock = true;
    t.headersComplete = false;
    t.bodyStarted = false;
    t.blockStatus = StatusOf(line);
  } else if (!t.inHeaderBlock) {
    return total;  // trailers after a chunked body: not part of the block
  }
  t.result->rawHeaders.append(line).append("\r\n");
  if (line.empty()) {
    t.inHeaderBlock = false;
    t.headersComplete = true;
  }
  return total;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const size_t total = size * count;
  t.lastActivity = Clock::now();
  if (!t.bodyStarted) {
    t.bodyStarted = true;
    curl_off_t length = -1;
    if (!t.request->bodySink &&
        curl_easy_getinfo(t.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK && length > 0) {
      t.result->body.reserve(std::min<std::uint64_t>(static_cast<std::uint64_t>(length), kMaxReserve));
    }
  }
  if (t.request->bodySink) {
    if (!t.request->bodySink(std::string_view(data, total))) {
      t.sinkRefused = true;
      return 0;
    }
  } else {
    t.result->body.append(data, total);
  }
  t.result->bodyBytes += total;
  return total;
}

int OnRequestReady(void* user, char*, char*, int, int) {
  auto& t = *static_cast<Transfer*>(user);
  t.requestSent = true;
  t.lastActivity = Clock::now();
  return CURL_PREREQFUNC_OK;
}

int OnNewSocket(void* user, curl_socket_t, curlsocktype) {
  // A new connection is being made: its time-out is curl's connect time-out.
  static_cast<Transfer*>(user)->requestSent = false;
  return CURL_SOCKOPT_OK;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded) {
  auto& t = *static_cast<Transfer*>(user);
  if (uploaded != t.uploaded) {
    t.uploaded = uploaded;
    t.lastActivity = Clock::now();
  }
  return 0;
}

HttpFailure Classify(CURLcode code, const Transfer& t) {
  switch (code) {
    case CURLE_OK:
      return HttpFailure::None;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
      return HttpFailure::BadUrl;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:  // only the connect time-out is curl's
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SEND_ERROR:
    case CURLE_LOGIN_DENIED:
      return HttpFailure::NotSent;
    case CURLE_WRITE_ERROR:
      if (t.sinkRefused) return HttpFailure::Aborted;
      [[fallthrough]];
    default:
      if (!t.requestSent && !t.headersComplete && !t.inHeaderBlock) return HttpFailure::NotSent;
      return t.InBody() ? HttpFailure::BodyBroken : HttpFailure::NoResponse;
  }
}

void ApplyMethodAndBody(CURL* easy, const HttpRequest& request) {
  const bool post = EqualsIgnoringCase(request.method, "POST");
  const bool head = EqualsIgnoringCase(request.method, "HEAD");
  if (request.body) {
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body->size()));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body->data());
    if (!post) curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    if (head) curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    return;
  }
  if (post) {
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t{0});
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, "");
  } else if (head) {
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
  } else if (EqualsIgnoringCase(request.method, "GET")) {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  } else {
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  }
}

Slist BuildHeaderList(const HttpRequest& request) {
  curl_slist* list = nullptr;
  auto add = [&list](const std::string& line) {
    if (curl_slist* grown = curl_slist_append(list, line.c_str())) list = grown;
  };
  for (const auto& line : request.headerLines) add(CurlHeaderLine(line));
  // Leave out the lines curl would add by itself, unless the caller gives them.
  for (const char* name : {"Accept", "Content-Type", "Expect"}) {
    const bool given =
        std::any_of(request.headerLines.begin(), request.headerLines.end(),
                    [name](const std::string& line) { return EqualsIgnoringCase(HeaderName(line), name); });
    if (!given) add(std::string(name) + ":");
  }
  return Slist(list);
}

}  // namespace

const char* HttpFailureName(HttpFailure failure) {
  switch (failure) {
    case HttpFailure::None:
      return "none";
    case HttpFailure::BadUrl:
      return "bad url";
    case HttpFailure::NotSent:
      return "not sent";
    case HttpFailure::NoResponse:
      return "no response";
    case HttpFailure::BodyBroken:
      return "body broken";
    case HttpFailure::Aborted:
      return "aborted";
  }
  return "unknown";
}

struct CurlClient::Handles {
  CURLM* multi = nullptr;
  CURL* easy = nullptr;
  bool busy = false;
  ~Handles() {
    if (easy) curl_easy_cleanup(easy);
    if (multi) curl_multi_cleanup(multi);
  }
};

CurlClient::CurlClient() : handles_(std::make_unique<Handles>()) {
  InitCurlOnce();
  handles_->multi = curl_multi_init();
  handles_->easy = curl_easy_init();
}

CurlClient::~CurlClient() = default;
CurlClient::CurlClient(CurlClient&&) noexcept = default;
CurlClient& CurlClient::operator=(CurlClient&&) noexcept = default;

HttpResult CurlClient::Perform(const HttpRequest& request) {
  HttpResult result;
  if (!handles_ || !handles_->multi || !handles_->easy || handles_->busy) {
    result.failure = HttpFailure::NotSent;
    result.error = handles_ && handles_->busy ? "client busy" : "no curl handle";
    return result;
  }
  if (!IsHttpUrl(request.url)) {
    result.failure = HttpFailure::BadUrl;
    result.error = "not an http or https URL";
    return result;
  }
  CURL* easy = handles_->easy;
  CURLM* multi = handles_->multi;
  handles_->busy = true;
  curl_easy_reset(easy);

  Transfer t;
  t.request = &request;
  t.result = &result;
  t.easy = easy;

  char errorText[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kBufferSize);
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION,
                   request.version == HttpVersion::Http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(std::max<long long>(1, request.connectTimeout.count())));
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, request.followRedirects ? 1L : 0L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  const auto trustFile = TrustFileFromEnvironment();
  if (trustFile) curl_easy_setopt(easy, CURLOPT_CAINFO, trustFile->c_str());
  curl_easy_setopt(easy, CURLOPT_PROXY, request.proxy.c_str());  // "" also ignores *_proxy variables
  if (!request.proxy.empty() && !request.proxyUser.empty() && !request.proxyPassword.empty()) {
    curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, request.proxyUser.c_str());
    curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, request.proxyPassword.c_str());
  }
  if (!request.user.empty() && !request.password.empty()) {
    curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(easy, CURLOPT_USERNAME, request.user.c_str());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, request.password.c_str());
  }
  if (!request.userAgent.empty()) curl_easy_setopt(easy, CURLOPT_USERAGENT, request.userAgent.c_str());
  Slist headers = BuildHeaderList(request);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  ApplyMethodAndBody(easy, request);

  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, OnRequestReady);
  curl_easy_setopt(easy, CURLOPT_PREREQDATA, &t);
  curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, OnNewSocket);
  curl_easy_setopt(easy, CURLOPT_SOCKOPTDATA, &t);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &t);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);

  curl_multi_add_handle(multi, easy);
  bool timedOut = false;
  bool multiFailed = false;
  auto lastHook = Clock::now();
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      multiFailed = true;
      break;
    }
    if (running == 0) break;
    const auto now = Clock::now();
    if (t.requestSent && now - t.lastActivity > request.responseTimeout) {
      timedOut = true;
      break;
    }
    if (request.waitHook && now - lastHook >= kPollInterval) {
      request.waitHook();
      lastHook = Clock::now();
    }
    curl_multi_poll(multi, nullptr, 0, static_cast<int>(kPollInterval.count()), nullptr);
  }

  CURLcode code = CURLE_OK;
  if (timedOut) {
    code = CURLE_OPERATION_TIMEDOUT;
  } else if (multiFailed) {
    code = CURLE_RECV_ERROR;
  } else {
    int pending = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &pending)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == easy) code = message->data.result;
    }
  }
  curl_multi_remove_handle(multi, easy);

  if (timedOut) {
    result.failure = t.InBody() ? HttpFailure::BodyBroken : HttpFailure::NoResponse;
    result.error = "no data within the time-out";
  } else {
    result.failure = Classify(code, t);
    if (code != CURLE_OK) result.error = errorText[0] ? errorText : curl_easy_strerror(code);
  }
  long status = 0;
  if (curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK)
    result.statusCode = static_cast<int>(status);
  curl_off_t length = -1;
  if (curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK && length >= 0) {
    result.contentLength = static_cast<std::uint64_t>(length);
  }
  if (!t.headersComplete && result.failure == HttpFailure::NotSent) result.rawHeaders.clear();
  // Nothing may point at this call's locals once it returns.
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
  handles_->busy = false;
  return result;
}

}  // namespace vorel::platform
