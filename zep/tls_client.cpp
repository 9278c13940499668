#include "tls_client.h"

#include <schannel.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstring>

namespace zep {
namespace {

constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION;

// A token the system allocated for us: sent, then freed.
bool SendToken(const TlsLink& link, SecBuffer& token) {
    if (!token.pvBuffer) return true;
    const bool sent =
        token.cbBuffer == 0 || link.send(std::string_view(static_cast<const char*>(token.pvBuffer), token.cbBuffer));
    FreeContextBuffer(token.pvBuffer);
    token.pvBuffer = nullptr;
    return sent;
}

}  // namespace

TlsCredentials::~TlsCredentials() {
    if (acquired_) FreeCredentialsHandle(&handle_);
}

CredHandle* TlsCredentials::Get() {
    if (acquired_) return &handle_;
    // The system checks nothing itself: TlsClient verifies the chain and the name, so that the
    // rule is the same on every Windows. TLS 1.2, which every version from 7 on speaks.
    SCHANNEL_CRED cred{};
    cred.dwVersion = SCHANNEL_CRED_VERSION;
    cred.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    cred.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    TimeStamp expiry;
    acquired_ = AcquireCredentialsHandleW(nullptr, const_cast<SEC_WCHAR*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND,
                                          nullptr, &cred, nullptr, nullptr, &handle_, &expiry) == SEC_E_OK;
    return acquired_ ? &handle_ : nullptr;
}

TlsClient::~TlsClient() {
    if (hasContext_) DeleteSecurityContext(&context_);
}

SECURITY_STATUS TlsClient::Step(const TlsLink& link, bool first) {
    CredHandle* credentials = credentials_.Get();
    if (!credentials) return SEC_E_NO_CREDENTIALS;
    SecBuffer in[2] = {{static_cast<unsigned long>(incoming_.size()), SECBUFFER_TOKEN, incoming_.data()},
                       {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
    SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, out};
    ULONG attributes = 0;
    const SECURITY_STATUS status = InitializeSecurityContextW(
        credentials, first ? nullptr : &context_, const_cast<SEC_WCHAR*>(serverName_.c_str()), kContextFlags, 0, 0,
        first ? nullptr : &inDesc, 0, &context_, &outDesc, &attributes, nullptr);
    hasContext_ = hasContext_ || (first && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED));
    // Nothing was taken from the input then: more of it, or the same again.
    if (status == SEC_E_INCOMPLETE_MESSAGE || status == SEC_I_INCOMPLETE_CREDENTIALS) {
        if (out[0].pvBuffer) FreeContextBuffer(out[0].pvBuffer);
        return status;
    }
    // What the system answers goes out, an alert after a failure included.
    if (!SendToken(link, out[0])) return SEC_E_INTERNAL_ERROR;
    if (first) return status;
    if (in[1].BufferType == SECBUFFER_EXTRA && in[1].cbBuffer <= incoming_.size())
        incoming_.erase(0, incoming_.size() - in[1].cbBuffer);
    else incoming_.clear();
    return status;
}

FtpTls TlsClient::Handshake(const TlsLink& link) {
    SECURITY_STATUS status = Step(link, true);
    bool needMore = true;
    while (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_INCOMPLETE_MESSAGE ||
           status == SEC_I_INCOMPLETE_CREDENTIALS) {
        if (needMore || incoming_.empty()) {
            const std::optional<std::string> bytes = link.receive(stallMs_);
            if (!bytes || bytes->empty()) return FtpTls::kFailed;
            incoming_ += *bytes;
        }
        // A server's request for a client certificate is answered without one.
        status = Step(link, false);
        needMore = status == SEC_E_INCOMPLETE_MESSAGE;
    }
    if (status != SEC_E_OK) return FtpTls::kFailed;
    if (!CertificateTrusted()) return FtpTls::kUntrusted;
    if (QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) != SEC_E_OK) return FtpTls::kFailed;
    up_ = true;
    return FtpTls::kUp;
}

bool TlsClient::CertificateTrusted() {
    PCCERT_CONTEXT certificate = nullptr;
    if (QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK ||
        !certificate)
        return false;
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {serverAuth};
    CERT_CHAIN_PARA chainPara{};
    chainPara.cbSize = sizeof chainPara;
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    bool trusted = false;
    // The intermediate certificates the server sent are in the certificate's own store.
    if (CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr,
                                &chain)) {
        SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
        ssl.cbSize = sizeof ssl;
        ssl.dwAuthType = AUTHTYPE_SERVER;
        ssl.pwszServerName = const_cast<wchar_t*>(serverName_.c_str());
        CERT_CHAIN_POLICY_PARA policy{};
        policy.cbSize = sizeof policy;
        policy.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS result{};
        result.cbSize = sizeof result;
        trusted = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &result) &&
                  result.dwError == 0;
        CertFreeCertificateChain(chain);
    }
    CertFreeCertificateContext(certificate);
    return trusted;
}

bool TlsClient::Send(const TlsLink& link, std::string_view plain) {
    if (!up_) return false;
    std::string record;
    while (!plain.empty()) {
        const size_t size = std::min<size_t>(plain.size(), sizes_.cbMaximumMessage);
        record.assign(sizes_.cbHeader + size + sizes_.cbTrailer, '\0');
        std::memcpy(record.data() + sizes_.cbHeader, plain.data(), size);
        SecBuffer buffers[4] = {{sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
                                {static_cast<unsigned long>(size), SECBUFFER_DATA, record.data() + sizes_.cbHeader},
                                {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes_.cbHeader + size},
                                {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        if (EncryptMessage(&context_, 0, &desc, 0) != SEC_E_OK) return false;
        if (!link.send(std::string_view(record.data(), buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer)))
            return false;
        plain.remove_prefix(size);
    }
    return true;
}

std::optional<std::string> TlsClient::Receive(const TlsLink& link, uint32_t timeoutMs) {
    while (up_) {
        if (!incoming_.empty()) {
            SecBuffer buffers[4] = {{static_cast<unsigned long>(incoming_.size()), SECBUFFER_DATA, incoming_.data()},
                                    {0, SECBUFFER_EMPTY, nullptr},
                                    {0, SECBUFFER_EMPTY, nullptr},
                                    {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
            const SECURITY_STATUS status = DecryptMessage(&context_, &desc, 0, nullptr);
            if (status == SEC_E_OK) {
                std::string plain, extra;
                for (const SecBuffer& b : buffers) {
                    if (b.BufferType == SECBUFFER_DATA) plain.assign(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
                    if (b.BufferType == SECBUFFER_EXTRA) extra.assign(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
                }
                incoming_ = std::move(extra);
                if (!plain.empty()) return plain;
                continue;  // a record without data
            }
            // The server's close_notify, a renegotiation we do not take part in, or broken bytes.
            if (status != SEC_E_INCOMPLETE_MESSAGE) {
                up_ = false;
                return std::nullopt;
            }
        }
        const std::optional<std::string> bytes = link.receive(timeoutMs);
        if (!bytes || bytes->empty()) return std::nullopt;
        incoming_ += *bytes;
    }
    return std::nullopt;
}

void TlsClient::Shutdown(const TlsLink& link) {
    if (!up_) return;
    up_ = false;
    DWORD type = SCHANNEL_SHUTDOWN;
    SecBuffer control{sizeof type, SECBUFFER_TOKEN, &type};
    SecBufferDesc controlDesc{SECBUFFER_VERSION, 1, &control};
    if (ApplyControlToken(&context_, &controlDesc) != SEC_E_OK) return;
    SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, out};
    ULONG attributes = 0;
    CredHandle* credentials = credentials_.Get();
    if (credentials && InitializeSecurityContextW(credentials, &context_, const_cast<SEC_WCHAR*>(serverName_.c_str()),
                                                  kContextFlags, 0, 0, nullptr, 0, nullptr, &outDesc, &attributes,
                                                  nullptr) == SEC_E_OK)
        SendToken(link, out[0]);
    else if (out[0].pvBuffer)
        FreeContextBuffer(out[0].pvBuffer);
}

}  // namespace zep
