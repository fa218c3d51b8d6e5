// SPDX-License-Identifier: MIT
#include "tests/server/TestCertificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace server::test {
namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Certificate = std::unique_ptr<X509, decltype(&X509_free)>;

void Require(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(std::string("making the test certificates: ") + what);
    }
}

Key NewKey() {
    Key key(EVP_EC_gen("P-256"), &EVP_PKEY_free);
    Require(key != nullptr, "a key");
    return key;
}

void AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    Require(extension != nullptr && X509_add_ext(certificate, extension, -1) == 1, "extension");
    X509_EXTENSION_free(extension);
}

// A certificate for commonName holding key, signed by issuerKey as issuer (itself when
// issuer is null); a CA's may sign others, a server's names "localhost". It is valid from
// an hour ago for a day, or between the given times ("YYYYMMDDHHMMSSZ").
Certificate Make(const char* commonName, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey,
                 bool isCa, long serial, const char* from = nullptr, const char* to = nullptr) {
    Certificate certificate(X509_new(), &X509_free);
    X509* raw = certificate.get();
    Require(X509_set_version(raw, 2) == 1, "version");
    ASN1_INTEGER_set(X509_get_serialNumber(raw), serial);
    X509_gmtime_adj(X509_getm_notBefore(raw), -3600);
    X509_gmtime_adj(X509_getm_notAfter(raw), 24 * 3600);
    Require(!from || (ASN1_TIME_set_string_X509(X509_getm_notBefore(raw), from) == 1 &&
                      ASN1_TIME_set_string_X509(X509_getm_notAfter(raw), to) == 1),
            "dates");
    Require(X509_set_pubkey(raw, key) == 1, "public key");
    X509_NAME* name = X509_get_subject_name(raw);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    Require(X509_set_issuer_name(raw, issuer ? X509_get_subject_name(issuer) : name) == 1,
            "issuer");
    X509* signer = issuer ? issuer : raw;
    if (isCa) {
        AddExtension(raw, signer, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(raw, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
        AddExtension(raw, signer, NID_subject_key_identifier, "hash");
    } else {
        AddExtension(raw, signer, NID_basic_constraints, "CA:FALSE");
        AddExtension(raw, signer, NID_ext_key_usage, "serverAuth");
        AddExtension(raw, signer, NID_subject_alt_name, "DNS:localhost");
    }
    Require(X509_sign(raw, issuerKey, EVP_sha256()) > 0, "signature");
    return certificate;
}

void Save(const std::filesystem::path& path, X509* certificate) {
    FILE* file = std::fopen(path.c_str(), "w");
    Require(file != nullptr && PEM_write_X509(file, certificate) == 1, "a certificate file");
    std::fclose(file);
}

void Save(const std::filesystem::path& path, EVP_PKEY* key) {
    FILE* file = std::fopen(path.c_str(), "w");
    Require(file != nullptr &&
                PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1,
            "a key file");
    std::fclose(file);
}

}  // namespace

TestCertificates::TestCertificates() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvora-tls-XXXXXX").string();
    Require(::mkdtemp(pattern.data()) != nullptr, "a folder");
    folder_ = pattern;

    const Key caKey = NewKey();
    const Certificate ca = Make("Kelvora Test CA", caKey.get(), nullptr, caKey.get(), true, 1);
    const Key serverKey = NewKey();
    const Certificate server = Make("localhost", serverKey.get(), ca.get(), caKey.get(), false, 2);
    const Key selfKey = NewKey();
    const Certificate self = Make("localhost", selfKey.get(), nullptr, selfKey.get(), false, 3);
    const Certificate expired = Make("localhost", serverKey.get(), ca.get(), caKey.get(), false, 4,
                                     "20010101000000Z", "20020304050607Z");
    const Certificate future = Make("localhost", serverKey.get(), ca.get(), caKey.get(), false, 5,
                                    "20980102030405Z", "20990101000000Z");
    Save(ExpiredFile(), expired.get());
    Save(NotYetValidFile(), future.get());
    Save(CaFile(), ca.get());
    Save(CertificateFile(), server.get());
    Save(KeyFile(), serverKey.get());
    Save(SelfSignedFile(), self.get());
    Save(SelfSignedKeyFile(), selfKey.get());
}

TestCertificates::~TestCertificates() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

}  // namespace server::test
