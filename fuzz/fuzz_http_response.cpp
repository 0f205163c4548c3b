// Fuzz target: an answer from a hostile server, fed to the HTTP client's read
// step (parser events, header buffers, body bounds, redirect handling) in up
// to three pieces whose cuts come from the first two input bytes.
#include <cstddef>
#include <cstdint>

#include "remote/http_client.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2) return 0;
  size_t cut1 = data[0] % (size - 1);
  size_t cut2 = cut1 + data[1] % (size - 1 - cut1 + 1);
  const char *bytes = reinterpret_cast<const char *>(data + 2);
  size_t n = size - 2;
  if (cut1 > n) cut1 = n;
  if (cut2 > n) cut2 = n;
  http_client *client = http_client_create(0);
  if (!client) return 0;
  size_t bounds[] = {0, cut1, cut2, n};
  int step = 0;
  for (int i = 0; i < 3 && step == 0; ++i) {
    if (bounds[i + 1] > bounds[i]) step = http_client_feed(client, bytes + bounds[i], bounds[i + 1] - bounds[i]);
  }
  if (step == 0) http_response_parser_finish(&client->parser, nullptr, nullptr);
  // The body never passes its bounds and is always readable up to its length.
  if (client->body_length > kHttpMaxBody) __builtin_trap();
  if (client->expected_length > 0 && client->body_length > client->expected_length) __builtin_trap();
  volatile char sink = 0;
  for (int i = 0; i < client->body_length; i += 4096) sink = sink ^ client->body[i];
  http_client_free(client);
  return 0;
}
