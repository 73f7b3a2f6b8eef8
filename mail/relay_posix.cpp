// The relay through libcurl, which the tree carries for PHP.
#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "mail/relay.h"
#include "util/hi.h"

namespace mail {

namespace {

struct Upload {
  const std::string* text;
  std::size_t at = 0;
};

std::size_t ReadUpload(char* buffer, std::size_t size, std::size_t count, void* data) {
  Upload& upload = *static_cast<Upload*>(data);
  const std::size_t n = std::min(size * count, upload.text->size() - upload.at);
  std::memcpy(buffer, upload.text->data() + upload.at, n);
  upload.at += n;
  return n;
}

// The server's last answer, which carries its own reason when it refuses.
int KeepServerLines(CURL*, curl_infotype type, char* data, std::size_t size, void* last) {
  if (type != CURLINFO_HEADER_IN) return 0;
  std::string line(data, size);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  if (!line.empty()) *static_cast<std::string*>(last) = line;
  return 0;
}

std::string LoadOrEmpty(const std::string& file) {
  try {
    return file.empty() || !THi::FileExists(file) ? std::string() : THi::LoadFile(file);
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace

std::string WhyNoRelay() { return {}; }

std::string Relay(const RelaySettings& settings, const std::string& caBundle, const std::string& sender,
                  const std::vector<std::string>& recipients, const std::string& message) {
  if (recipients.empty()) return "the message names no recipient";
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl) return "the mail library could not start";
  CURL* c = curl.get();
  const bool implicitTls = settings.ssl == "ssl";
  const int port = settings.port > 0 ? settings.port : implicitTls ? 465 : 25;
  // The URL's path is the name this machine greets the server with.
  const std::string url = std::string(implicitTls ? "smtps://" : "smtp://") + settings.server + ":" +
                          std::to_string(port) + "/" + settings.hostname;
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  // "auto" takes TLS where the server offers it, and insists on it before
  // a password is sent.
  long useSsl = CURLUSESSL_NONE;
  if (settings.ssl == "tls" || (settings.ssl == "auto" && !settings.password.empty())) useSsl = CURLUSESSL_ALL;
  else if (settings.ssl == "auto") useSsl = CURLUSESSL_TRY;
  curl_easy_setopt(c, CURLOPT_USE_SSL, useSsl);
  std::string authorities = LoadOrEmpty(caBundle) + "\n" + LoadOrEmpty(settings.caFile);
  curl_blob blob{authorities.data(), authorities.size(), CURL_BLOB_NOCOPY};
  curl_easy_setopt(c, CURLOPT_CAINFO_BLOB, &blob);
  curl_easy_setopt(c, CURLOPT_CAPATH, nullptr);
  if (!settings.username.empty()) {
    curl_easy_setopt(c, CURLOPT_USERNAME, settings.username.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, settings.password.c_str());
  }
  const std::string from = "<" + (settings.forceSender.empty() ? sender : settings.forceSender) + ">";
  curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.c_str());
  curl_slist* to = nullptr;
  for (const std::string& address : recipients) to = curl_slist_append(to, ("<" + address + ">").c_str());
  const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> toList(to, curl_slist_free_all);
  curl_easy_setopt(c, CURLOPT_MAIL_RCPT, to);
  Upload upload{&message};
  curl_easy_setopt(c, CURLOPT_READFUNCTION, ReadUpload);
  curl_easy_setopt(c, CURLOPT_READDATA, &upload);
  curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
  // Within the 30 s the whole program has.
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 10L);
  curl_easy_setopt(c, CURLOPT_TIMEOUT, 25L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  std::string lastLine;
  curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, KeepServerLines);
  curl_easy_setopt(c, CURLOPT_DEBUGDATA, &lastLine);
  curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
  char error[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
  const CURLcode result = curl_easy_perform(c);
  if (result == CURLE_OK) return {};
  long code = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &code);
  const std::string why = error[0] ? error : curl_easy_strerror(result);
  // The server's own words when it was the server that refused.
  if (code >= 400 && !lastLine.empty()) return lastLine;
  return why;
}

}  // namespace mail
