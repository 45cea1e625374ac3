// OpenSSL cleans itself up from an exit handler of its own, registered when it is first used. That
// is usually on a request's worker thread, after cpprest's thread pool was made, so at exit OpenSSL
// went first, and the pool, stopping afterwards, freed its pooled TLS connections with OpenSSL's
// locks already gone: the process spun in the lock forever instead of ending. Initialising it here,
// when the editor's libraries are loaded and before any request, without that handler, leaves its
// state for the system to reclaim at exit, after everything that still holds a connection.
#include <openssl/crypto.h>

namespace {

[[maybe_unused]] const int kOpenSslWithoutExitHandler = OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);

} // namespace
