// Fuzz target: an answer from a hostile server, fed to the HTTP client's read
// step (parser events, header buffers, body bounds, redirect handling) once in
// one piece and once in up to three pieces whose cuts come from the first two
// input bytes. Both must end alike: the parser may not depend on how the bytes
// were cut, and the body never passes its bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "remote/http_client.h"

namespace {

struct Outcome {
  int step = 0;
  int status = 0;
  std::string body;
  std::string redirect;
};

Outcome Feed(const char *bytes, const size_t *bounds, int pieces) {
  Outcome out;
  http_client *client = http_client_create(0);
  if (!client) return out;
  for (int i = 0; i < pieces && out.step == 0; ++i) {
    if (bounds[i + 1] > bounds[i]) out.step = http_client_feed(client, bytes + bounds[i], bounds[i + 1] - bounds[i]);
  }
  if (out.step == 0) http_response_parser_finish(&client->parser, nullptr, nullptr);
  if (client->body_length > kHttpMaxBody) __builtin_trap();
  if (client->expected_length > 0 && client->body_length > client->expected_length) __builtin_trap();
  out.status = client->status_code;
  if (client->body) out.body.assign(client->body, static_cast<size_t>(client->body_length));
  if (client->redirect_pending && client->redirect_url) out.redirect = client->redirect_url;
  http_client_free(client);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2) return 0;
  const char *bytes = reinterpret_cast<const char *>(data + 2);
  size_t n = size - 2;
  size_t cut1 = n ? data[0] % (n + 1) : 0;
  size_t cut2 = cut1 + (n - cut1 ? data[1] % (n - cut1 + 1) : 0);
  const size_t whole[] = {0, n};
  const size_t split[] = {0, cut1, cut2, n};
  Outcome a = Feed(bytes, whole, 1);
  Outcome b = Feed(bytes, split, 3);
  // A value cut before a bad byte of its line may already overflow its
  // buffer in pieces (26) where the whole line fails at that byte (4).
  bool same_step = a.step == b.step || ((a.step == 4 || a.step == 26) && (b.step == 4 || b.step == 26));
  if (!same_step || a.status != b.status || a.body != b.body || a.redirect != b.redirect) __builtin_trap();
  return 0;
}
