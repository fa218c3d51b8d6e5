// SPDX-License-Identifier: MIT
#include "platform/mv/wire/TlsCredentials.h"

#include <asio/ssl.hpp>

namespace mv::wire {

TlsCredentials::TlsCredentials(std::unique_ptr<asio::ssl::context> context)
    : context_(std::move(context)) {}

TlsCredentials::~TlsCredentials() = default;

std::shared_ptr<const TlsCredentials> TlsCredentials::Load(const std::string& certificateFile,
                                                           const std::string& keyFile,
                                                           std::string& why) {
    auto context = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_server);
    // TLS 1.2 is the oldest version without known weaknesses in its design.
    ::SSL_CTX_set_min_proto_version(context->native_handle(), TLS1_2_VERSION);
    asio::error_code error;
    context->use_certificate_chain_file(certificateFile, error);
    if (error) {
        why = "cannot read the certificate \"" + certificateFile + "\": " + error.message();
        return nullptr;
    }
    context->use_private_key_file(keyFile, asio::ssl::context::pem, error);
    if (error) {
        why = "cannot use the private key \"" + keyFile + "\" with the certificate \"" +
              certificateFile + "\": " + error.message();
        return nullptr;
    }
    if (::SSL_CTX_check_private_key(context->native_handle()) != 1) {
        why = "the private key \"" + keyFile + "\" does not belong to the certificate \"" +
              certificateFile + "\"";
        return nullptr;
    }
    return std::shared_ptr<const TlsCredentials>(new TlsCredentials(std::move(context)));
}

}  // namespace mv::wire
