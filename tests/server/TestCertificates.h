// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace server::test {

// Certificates made for one test with OpenSSL, in PEM files under a temporary folder that
// goes with the object: a certificate authority, a server certificate it signed for the
// name "localhost" only, and a self-signed certificate for the same name.
class TestCertificates {
public:
    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    std::filesystem::path CaFile() const { return folder_ / "ca.pem"; }
    std::filesystem::path CertificateFile() const { return folder_ / "server.pem"; }
    std::filesystem::path KeyFile() const { return folder_ / "server.key"; }
    std::filesystem::path SelfSignedFile() const { return folder_ / "self.pem"; }
    std::filesystem::path SelfSignedKeyFile() const { return folder_ / "self.key"; }

private:
    std::filesystem::path folder_;
};

}  // namespace server::test
