#ifdef _WIN32
#include "emulator/pty.h"

namespace livra {

// Windows has no pseudo-terminal serial devices; a virtual COM-port pair
// driver would be needed instead.
std::unique_ptr<PseudoTerminal> openPseudoTerminal(std::string& error) {
    error = "pseudo-terminals are not available on this system";
    return nullptr;
}

}  // namespace livra
#endif
