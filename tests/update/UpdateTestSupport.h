// tests/update/UpdateTestSupport.h
// Where the peers that with-peers.sh started for this test program listen, and small helpers around them.
#ifndef TAVISK_TESTS_UPDATE_UPDATETESTSUPPORT_H
#define TAVISK_TESTS_UPDATE_UPDATETESTSUPPORT_H

#include "framework/String.h"

#include <string>

namespace updatetest {

// The scripted update service's port; 0 when the program runs without its peers.
int ServicePort();
// "http://127.0.0.1:<port>" + path.
CString ServiceUrl(const char* pszPath);
// The tinyproxy with Basic credentials: port 0 when it is not running.
int ProxyPort();
CString ProxyUser();
CString ProxyPassword();
// A port on 127.0.0.1 where nothing listens.
int ClosedPort();
// Starts Winsock for the test thread once.
void StartSockets();

}

// Skips the current test when the service is not running (the program was started without with-peers.sh).
#define REQUIRE_SERVICE()                                                                 \
    do {                                                                                  \
        if (updatetest::ServicePort() == 0)                                               \
            GTEST_SKIP() << "no update service: run through tests/update/with-peers.sh"; \
    } while (0)
#define REQUIRE_PROXY()                                                                   \
    do {                                                                                  \
        if (updatetest::ProxyPort() == 0)                                                 \
            GTEST_SKIP() << "no tinyproxy: run through tests/update/with-peers.sh";       \
    } while (0)

#endif
