// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

namespace asio::ssl {
class context;
}

namespace mv::wire {

// A server's certificate chain and private key, loaded once and offered on every
// connection that asks for TLS. One context serves every session thread.
class TlsCredentials {
public:
    // Null, with the reason, when either file cannot be read or the key does not belong
    // to the certificate.
    static std::shared_ptr<const TlsCredentials> Load(const std::string& certificateFile,
                                                      const std::string& keyFile, std::string& why);
    ~TlsCredentials();
    TlsCredentials(const TlsCredentials&) = delete;
    TlsCredentials& operator=(const TlsCredentials&) = delete;

    asio::ssl::context& Context() const { return *context_; }

private:
    explicit TlsCredentials(std::unique_ptr<asio::ssl::context> context);
    std::unique_ptr<asio::ssl::context> context_;
};

}  // namespace mv::wire
