#include "TestCertificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <stdexcept>

namespace tavrilux::testing {

namespace {

void addExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (!extension) {
        throw std::runtime_error("cannot make certificate extension");
    }
    X509_add_ext(cert, extension, -1);
    X509_EXTENSION_free(extension);
}

X509* makeCertificate(EVP_PKEY* key, const char* commonName, long serial, X509* issuer,
                      EVP_PKEY* issuerKey, const char* names) {
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), 24 * 3600);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509_set_issuer_name(cert, issuer ? X509_get_subject_name(issuer) : name);
    X509* signer = issuer ? issuer : cert;
    addExtension(cert, signer, NID_subject_key_identifier, "hash");
    if (issuer) {
        addExtension(cert, signer, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(cert, signer, NID_key_usage, "critical,digitalSignature");
        addExtension(cert, signer, NID_ext_key_usage, "serverAuth");
        addExtension(cert, signer, NID_subject_alt_name, names);
        addExtension(cert, signer, NID_authority_key_identifier, "keyid:always");
    } else {
        addExtension(cert, signer, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    }
    if (X509_sign(cert, issuerKey ? issuerKey : key, EVP_sha256()) == 0) {
        X509_free(cert);
        throw std::runtime_error("cannot sign certificate");
    }
    return cert;
}

} // namespace

TestCertificates::TestCertificates(const std::filesystem::path& folder, const char* serverNames) {
    static long serial = 1000;
    caKey_ = EVP_EC_gen("P-256");
    serverKey_ = EVP_EC_gen("P-256");
    if (!caKey_ || !serverKey_) {
        throw std::runtime_error("cannot make keys");
    }
    caCert_ =
        makeCertificate(caKey_, "Tavrilux Test Authority", ++serial, nullptr, nullptr, nullptr);
    serverCert_ = makeCertificate(serverKey_, "localhost", ++serial, caCert_, caKey_, serverNames);
    caFile_ = folder / ("authority-" + std::to_string(serial) + ".pem");
    FILE* out = std::fopen(caFile_.c_str(), "w");
    if (!out) {
        throw std::runtime_error("cannot write " + caFile_.string());
    }
    PEM_write_X509(out, caCert_);
    std::fclose(out);
}

TestCertificates::~TestCertificates() {
    X509_free(serverCert_);
    X509_free(caCert_);
    EVP_PKEY_free(serverKey_);
    EVP_PKEY_free(caKey_);
}

} // namespace tavrilux::testing
