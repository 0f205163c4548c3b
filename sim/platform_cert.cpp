// Certificate generation of the platform simulator (see platform_cert.h).
#include "sim/platform_cert.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

namespace {

using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using CertPtr = std::unique_ptr<X509, decltype(&X509_free)>;

constexpr long kValidSeconds = 30L * 24 * 3600;

bool AddExtension(X509 *cert, X509 *issuer, int nid, const std::string &value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION *ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
  if (!ext) return false;
  bool ok = X509_add_ext(cert, ext, -1) == 1;
  X509_EXTENSION_free(ext);
  return ok;
}

CertPtr NewCertificate(EVP_PKEY *key, const char *common_name, long serial) {
  CertPtr cert(X509_new(), X509_free);
  X509_set_version(cert.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), kValidSeconds);
  X509_set_pubkey(cert.get(), key);
  X509_NAME *name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char *>("Varnok platform simulator"), -1, -1, 0);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char *>(common_name), -1, -1, 0);
  return cert;
}

std::string AltNames(const PlatformCertOptions &options) {
  std::string names;
  for (const auto &dns : options.dns_names) names += (names.empty() ? "DNS:" : ",DNS:") + dns;
  for (const auto &ip : options.ip_addresses) names += (names.empty() ? "IP:" : ",IP:") + ip;
  return names;
}

bool WritePem(const std::string &path, X509 *cert, EVP_PKEY *key) {
  FILE *f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  bool ok = cert ? PEM_write_X509(f, cert) == 1
                 : PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  return std::fclose(f) == 0 && ok;
}

std::string MakeFolder() {
  const char *tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/varnok-platform-XXXXXX";
  if (!mkdtemp(&pattern[0])) return "";
  return pattern;
}

}  // namespace

bool PlatformMakeCertificates(const PlatformCertOptions &options, PlatformCertFiles &out,
                              std::string &error_text) {
  KeyPtr ca_key(EVP_EC_gen("P-256"), EVP_PKEY_free);
  KeyPtr server_key(EVP_RSA_gen(2048), EVP_PKEY_free);
  if (!ca_key || !server_key) {
    error_text = "cannot generate keys";
    return false;
  }
  CertPtr ca = NewCertificate(ca_key.get(), "Varnok simulator CA", 1);
  X509_set_issuer_name(ca.get(), X509_get_subject_name(ca.get()));
  bool ok = AddExtension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE") &&
            AddExtension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign") &&
            AddExtension(ca.get(), ca.get(), NID_subject_key_identifier, "hash") &&
            X509_sign(ca.get(), ca_key.get(), EVP_sha256()) > 0;
  const char *cn = options.dns_names.empty() ? "platform" : options.dns_names.front().c_str();
  CertPtr server = NewCertificate(server_key.get(), cn, 2);
  X509_set_issuer_name(server.get(), X509_get_subject_name(ca.get()));
  std::string alt = AltNames(options);
  ok = ok && AddExtension(server.get(), ca.get(), NID_basic_constraints, "CA:FALSE") &&
       AddExtension(server.get(), ca.get(), NID_ext_key_usage, "serverAuth") &&
       (alt.empty() || AddExtension(server.get(), ca.get(), NID_subject_alt_name, alt)) &&
       X509_sign(server.get(), ca_key.get(), EVP_sha256()) > 0;
  if (!ok) {
    error_text = "cannot build the certificates";
    return false;
  }
  out.folder = MakeFolder();
  if (out.folder.empty()) {
    error_text = "cannot create a temporary folder";
    return false;
  }
  out.ca_file = out.folder + "/ca.pem";
  out.cert_file = out.folder + "/server.pem";
  out.key_file = out.folder + "/server-key.pem";
  if (!WritePem(out.ca_file, ca.get(), nullptr) || !WritePem(out.cert_file, server.get(), nullptr) ||
      !WritePem(out.key_file, nullptr, server_key.get())) {
    error_text = "cannot write the certificate files";
    PlatformRemoveCertificates(out);
    return false;
  }
  return true;
}

void PlatformRemoveCertificates(const PlatformCertFiles &files) {
  if (files.folder.empty()) return;
  for (const auto &path : {files.ca_file, files.cert_file, files.key_file}) unlink(path.c_str());
  rmdir(files.folder.c_str());
}
