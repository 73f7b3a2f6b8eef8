#include "mail/sendmail.h"

#include <string>

#include "mail/mailbox.h"
#include "mail/message.h"
#include "mail/relay.h"
#include "util/hi.h"
#include "util/platform.h"

namespace mail {

namespace {

int Fail(std::FILE* err, const std::string& reason) {
  std::fprintf(err, "sendmail: %s\n", reason.c_str());
  return 1;
}

// The whole input, up to one byte past the limit; false when it could not be read.
bool ReadMessage(std::FILE* in, std::string& message) {
  char buffer[64 * 1024];
  for (;;) {
    const std::size_t read = std::fread(buffer, 1, sizeof buffer, in);
    if (message.size() <= kMaxMessageBytes) message.append(buffer, read);
    if (read < sizeof buffer) return !std::ferror(in);
  }
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

}  // namespace

int RunSendmail(const std::vector<std::string>& args, std::FILE* in, std::FILE* err) {
  std::string error;
  const Options options = ParseArguments(args, error);
  if (!error.empty()) return Fail(err, error);
  std::string message;
  // The input is read to its end even past the limit, so that the sender
  // learns of the refusal from the status, not from a broken pipe.
  if (!ReadMessage(in, message)) return Fail(err, "the message could not be read from standard input");
  if (message.size() > kMaxMessageBytes)
    return Fail(err, "the message is larger than " + std::to_string(kMaxMessageBytes / (1024 * 1024)) +
                         " MB and was not taken");
  if (message.empty()) return Fail(err, "no message on standard input");

  std::string envelope;
  const std::string sender = Sender(message, options);
  const std::vector<std::string> recipients = Recipients(message, options);
  if (!sender.empty()) envelope += "X-Lodestack-Sender: " + sender + "\n";
  envelope += "X-Lodestack-Recipients: " + Joined(recipients) + "\n";
  const RelaySettings relay = ReadRelaySettings(THi::GetAppPath() + "sendmail.ini");
  const bool relaying = !relay.server.empty() && WhyNoRelay().empty();
  if (!relay.server.empty() && !relaying) envelope += "X-Lodestack-Relay: not sent: " + WhyNoRelay() + "\n";
  // Kept before it is sent: a relay that never answers loses nothing.
  const std::string file = StoreMessage(
      options.mailbox,
      WithHeadersBefore(message, envelope + (relaying ? "X-Lodestack-Relay: sending to " + relay.server : "")),
      error);
  if (file.empty()) return Fail(err, error);
  if (!relaying) return 0;

  const std::string caBundle = THi::GetAppPath() + ".." + platform::kPathDelim + "php" + platform::kPathDelim +
                               "cacert.pem";
  const std::string why = Relay(relay, caBundle, sender, recipients, WithoutHeader(message, "Bcc"));
  const std::string outcome = why.empty() ? "sent to " + relay.server : "not sent: " + why;
  if (!ReplaceMessage(file, WithHeadersBefore(message, envelope + "X-Lodestack-Relay: " + outcome), error))
    std::fprintf(err, "sendmail: %s\n", error.c_str());
  return why.empty() ? 0 : Fail(err, "not sent to " + relay.server + ": " + why);
}

}  // namespace mail
