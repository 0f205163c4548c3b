// The OpenSSL calls of the HTTPS client and the platform login, loaded from
// libssl.so.3 (and the libcrypto it brings) the first time one is needed.
// The window and varnokctl start without mapping the two libraries: most
// sessions never reach the cloud, and loading them costs some 1.6 MiB of
// memory at start. Each member has the type of the OpenSSL function of the
// same name; the headers give the types, the structures and the constants.
#pragma once

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#define VARNOK_OPENSSL_CALLS(X)                                                                        \
  X(TLS_client_method)                                                                                 \
  X(SSL_CTX_new) X(SSL_CTX_ctrl) X(SSL_CTX_set_cipher_list) X(SSL_CTX_set_options) X(SSL_CTX_set_verify) \
  X(SSL_CTX_set_default_verify_paths) X(SSL_CTX_load_verify_locations) X(SSL_CTX_free) X(SSL_CTX_up_ref) \
  X(SSL_new) X(SSL_set_fd) X(SSL_ctrl) X(SSL_get0_param) X(SSL_set_hostflags) X(SSL_set1_host)           \
  X(SSL_get_error) X(SSL_get_verify_result) X(SSL_connect) X(SSL_read_ex) X(SSL_write_ex)                \
  X(SSL_shutdown) X(SSL_is_init_finished) X(SSL_free)                                                  \
  X(X509_VERIFY_PARAM_set1_ip_asc) X(X509_verify_cert_error_string)                                    \
  X(ERR_clear_error) X(ERR_peek_last_error) X(ERR_error_string_n)                                      \
  X(EVP_Digest) X(EVP_md5)

struct OpenSslCalls {
#define VARNOK_OPENSSL_MEMBER(name) decltype(&::name) name = nullptr;
  VARNOK_OPENSSL_CALLS(VARNOK_OPENSSL_MEMBER)
#undef VARNOK_OPENSSL_MEMBER
};

// The calls, loaded once; null when the library or one of them cannot be
// loaded (the reason goes to the diagnostic log, once).
const OpenSslCalls *OpenSsl();
