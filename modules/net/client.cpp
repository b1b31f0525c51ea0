// The net module: the protocol client of the network commands on libcurl.
// Each session is one easy handle, so its connection (an FTP login, a POP3
// mailbox) and its cookies last from request to request.
#include <curl/curl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "support/fileops.h"
#include "support/netclient.h"

namespace tama::net {
namespace {

struct TCall {
  const TRequest* request = nullptr;
  TTransferControl* control = nullptr;
  TReply* reply = nullptr;
  size_t uploadPos = 0;
  bool writeFailed = false;
};

size_t OnWrite(char* data, size_t size, size_t count, void* user) {
  TCall& c = *static_cast<TCall*>(user);
  const size_t n = size * count;
  if (c.control->abort) return 0;
  if (c.request->downloadFd < 0) {
    c.reply->body.append(data, n);
    return n;
  }
  if (!support::WriteAll(c.request->downloadFd, data, n)) {
    c.writeFailed = true;
    return 0;
  }
  return n;
}

size_t OnRead(char* buffer, size_t size, size_t count, void* user) {
  TCall& c = *static_cast<TCall*>(user);
  const size_t room = size * count;
  if (c.control->abort) return CURL_READFUNC_ABORT;
  if (c.request->uploadFd >= 0) {
    for (;;) {
      const ssize_t r = ::read(c.request->uploadFd, buffer, room);
      if (r >= 0) return static_cast<size_t>(r);
      if (errno != EINTR) return CURL_READFUNC_ABORT;
    }
  }
  const std::string& data = c.request->uploadData;
  const size_t n = std::min(room, data.size() - c.uploadPos);
  std::memcpy(buffer, data.data() + c.uploadPos, n);
  c.uploadPos += n;
  return n;
}

int OnProgress(void* user, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal, curl_off_t ulNow) {
  TCall& c = *static_cast<TCall*>(user);
  if (c.request->upload) {
    c.control->total = ulTotal;
    c.control->done = ulNow;
  } else {
    c.control->total = dlTotal;
    c.control->done = dlNow;
  }
  return c.control->abort ? 1 : 0;
}

// The protocols a URL may use: those of its own scheme (a download never
// reads a local file, a redirect never leaves HTTP).
const char* ProtocolsOf(const std::string& url) {
  auto starts = [&](const char* p) { return url.compare(0, std::strlen(p), p) == 0; };
  if (starts("http://") || starts("https://")) return "http,https";
  if (starts("ftp://")) return "ftp";
  if (starts("smtp://")) return "smtp";
  if (starts("pop3://")) return "pop3";
  return "";
}

class TSession : public ISession {
 public:
  TSession() : curl_(curl_easy_init()) {}
  ~TSession() override {
    if (curl_) curl_easy_cleanup(curl_);
  }

  TReply Perform(const TRequest& r, TTransferControl& control) override {
    TReply reply;
    if (!curl_) {
      reply.outcome = TOutcome::kFailed;
      reply.error = "the client could not start";
      return reply;
    }
    if (!*ProtocolsOf(r.url)) {
      reply.outcome = TOutcome::kFailed;
      reply.error = "the URL's scheme is not one of this command";
      return reply;
    }
    CURL* h = curl_;
    curl_easy_reset(h);
    char errorBuffer[CURL_ERROR_SIZE] = "";
    TCall call{&r, &control, &reply};
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(h, CURLOPT_URL, r.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, ProtocolsOf(r.url));
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, control.idleSeconds);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnWrite);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &call);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &call);
    if (!r.user.empty()) {
      curl_easy_setopt(h, CURLOPT_USERNAME, r.user.c_str());
      curl_easy_setopt(h, CURLOPT_PASSWORD, r.password.c_str());
    }
    if (r.noBody) curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    if (!r.customRequest.empty()) curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, r.customRequest.c_str());
    curl_slist* quote = nullptr;
    for (const std::string& q : r.quote) quote = curl_slist_append(quote, q.c_str());
    if (quote) curl_easy_setopt(h, CURLOPT_QUOTE, quote);
    curl_slist* rcpt = nullptr;
    for (const std::string& a : r.mailRcpt) rcpt = curl_slist_append(rcpt, a.c_str());
    if (!r.mailFrom.empty() || rcpt) {
      curl_easy_setopt(h, CURLOPT_MAIL_FROM, r.mailFrom.c_str());
      if (rcpt) curl_easy_setopt(h, CURLOPT_MAIL_RCPT, rcpt);
    }
    if (r.upload) {
      curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
      curl_easy_setopt(h, CURLOPT_READFUNCTION, OnRead);
      curl_easy_setopt(h, CURLOPT_READDATA, &call);
      const int64_t size = r.uploadFd >= 0 ? r.uploadSize : static_cast<int64_t>(r.uploadData.size());
      if (size >= 0) curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    }
    curl_slist* headers = nullptr;
    for (const std::string& s : r.headers) headers = curl_slist_append(headers, s.c_str());
    if (headers) curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
    if (r.url.compare(0, 4, "http") == 0) {
      // the cookie engine, once: the cookies outlive the reset of the options
      if (!cookies_) curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
      cookies_ = true;
      if (!r.userAgent.empty()) curl_easy_setopt(h, CURLOPT_USERAGENT, r.userAgent.c_str());
      if (r.failOnError) curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
      if (r.maxRedirects > 0) {
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(h, CURLOPT_MAXREDIRS, static_cast<long>(r.maxRedirects));
      }
      if (r.post) {
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(r.postFields.size()));
        curl_easy_setopt(h, CURLOPT_COPYPOSTFIELDS, r.postFields.c_str());
      }
    }
    if (r.url.compare(0, 6, "ftp://") == 0) {
      if (r.ftpActive) curl_easy_setopt(h, CURLOPT_FTPPORT, "-");
      if (r.ftpAscii) curl_easy_setopt(h, CURLOPT_TRANSFERTEXT, 1L);
      if (r.ftpAbsolutePaths) curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    }
    const CURLcode rc = curl_easy_perform(h);
    long code = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code);
    reply.status = code;
    if (const char* entry = nullptr; curl_easy_getinfo(h, CURLINFO_FTP_ENTRY_PATH, &entry) == CURLE_OK && entry)
      reply.entryPath = entry;
    if (const char* url = nullptr; curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &url) == CURLE_OK && url)
      reply.effectiveUrl = url;
    if (rc != CURLE_OK) {
      reply.error = errorBuffer[0] ? errorBuffer : curl_easy_strerror(rc);
      if (call.writeFailed) reply.error = std::string("the file could not be written: ") + std::strerror(errno);
      if (control.abort || rc == CURLE_ABORTED_BY_CALLBACK)
        reply.outcome = TOutcome::kAborted;
      else if (rc == CURLE_COULDNT_RESOLVE_HOST || rc == CURLE_COULDNT_CONNECT)
        reply.outcome = TOutcome::kConnect;
      else
        reply.outcome = TOutcome::kFailed;
    }
    // the handle keeps no pointer to what goes now
    curl_easy_setopt(h, CURLOPT_QUOTE, nullptr);
    curl_easy_setopt(h, CURLOPT_MAIL_RCPT, nullptr);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
    curl_slist_free_all(quote);
    curl_slist_free_all(rcpt);
    curl_slist_free_all(headers);
    return reply;
  }

 private:
  CURL* curl_;
  bool cookies_ = false;
};

class TClient : public INetClient {
 public:
  TClient() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  std::unique_ptr<ISession> NewSession() override { return std::make_unique<TSession>(); }
};

}  // namespace
}  // namespace tama::net

extern "C" __attribute__((visibility("default"))) tama::net::INetClient* tama_module_net(const char* buildId) {
  if (!buildId || std::string(buildId) != TAMA_BUILD_ID) return nullptr;
  static tama::net::TClient client;
  return &client;
}
