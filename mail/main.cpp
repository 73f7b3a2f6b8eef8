// The mail program PHP's mail() hands its messages to (sendmail_path):
// every message is kept in the stack's mailbox.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "mail/own_process.h"
#include "mail/sendmail.h"

int main(int argc, char** argv) {
  // A sender that never closes the input, or a relay that never answers,
  // must not hold the page that called mail(): the call fails in time.
  std::thread([] {
    std::this_thread::sleep_for(std::chrono::seconds(30));
    std::fputs("sendmail: no answer within 30 s; the message was not taken\n", stderr);
    std::fflush(stderr);
    std::_Exit(1);
  }).detach();
  mail::UseBinaryStandardInput();
  return mail::RunSendmail(mail::OwnArguments(argc, argv), stdin, stderr);
}
