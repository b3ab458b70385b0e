#pragma once

#include <QByteArray>
#include <QList>

// The maker's signature over an update package and its installer script: the public keys
// the program holds and the check of a package's signature block against them. The
// private keys stay with the maker (quarn-make-update-package --sign).
namespace UpdatePackage {

struct SignatureBlock;

// The raw Ed25519 public keys built into the program, one for each update/keys/*.pem:
// more than one while a key is being replaced.
QList<QByteArray> MakerKeys();

// The raw key of an Ed25519 public key in PEM text; empty for anything else.
QByteArray PublicKeyFromPem(const QByteArray& pem);

// Hexadecimal start of a public key, for the log.
QByteArray KeyTag(const QByteArray& publicKey);

enum class SignatureCheck
{
    Unsigned,
    Good,
    Malformed,    // the block's footer fits no block
    UnknownKey,   // no signature by a key of trustedKeys
    BadSignature, // a signature by a trusted key that does not verify
    ScriptMismatch,
};

// Signatures by keys outside trustedKeys are passed over (a package signed for a key
// rotation carries the old key's and the new key's); every other one must verify, and at
// least one must be there. scriptDigest is the SHA-256 of the installer script as read
// from the card; it must be the one signed.
SignatureCheck CheckSignature(const SignatureBlock& block, const QByteArray& scriptDigest,
                              const QList<QByteArray>& trustedKeys, QByteArray* signedBy = nullptr);

} // namespace UpdatePackage
