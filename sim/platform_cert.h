// Certificates for the platform simulator, made when it starts: a CA of its
// own and a server certificate it signs, written as PEM files into a fresh
// temporary folder. A client trusts the simulator by loading the CA file.
#pragma once

#include <string>
#include <vector>

struct PlatformCertOptions {
  std::vector<std::string> dns_names{"localhost"};  // subjectAltName DNS entries
  std::vector<std::string> ip_addresses{"127.0.0.1"};  // subjectAltName IP entries
};

struct PlatformCertFiles {
  std::string folder;     // temporary folder holding the three files
  std::string ca_file;    // the CA certificate (PEM): what clients trust
  std::string cert_file;  // the server certificate (PEM)
  std::string key_file;   // the server's private key (PEM, RSA 2048)
};

// Makes the CA and the server certificate. False with error_text on failure.
bool PlatformMakeCertificates(const PlatformCertOptions &options, PlatformCertFiles &out,
                              std::string &error_text);

// Removes the files and their folder.
void PlatformRemoveCertificates(const PlatformCertFiles &files);
