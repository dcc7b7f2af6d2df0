#pragma once

#include <filesystem>
#include <memory>

typedef struct x509_st X509;
typedef struct evp_pkey_st EVP_PKEY;

namespace tavrilux::testing {

// A throw-away certificate authority and a server certificate it signed for the given names
// (127.0.0.1 and localhost unless told otherwise), made at run time. The authority's certificate
// is written to caFile() for clients.
class TestCertificates final {
public:
    static constexpr const char* kLoopbackNames = "IP:127.0.0.1,DNS:localhost";

    explicit TestCertificates(const std::filesystem::path& folder,
                              const char* serverNames = kLoopbackNames);
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    const std::filesystem::path& caFile() const { return caFile_; }
    X509* serverCertificate() const { return serverCert_; }
    EVP_PKEY* serverKey() const { return serverKey_; }

private:
    EVP_PKEY* caKey_ = nullptr;
    X509* caCert_ = nullptr;
    EVP_PKEY* serverKey_ = nullptr;
    X509* serverCert_ = nullptr;
    std::filesystem::path caFile_;
};

} // namespace tavrilux::testing
