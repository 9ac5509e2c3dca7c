#include <gtest/gtest.h>

#include <KorNet.h>

#include "shell/StatusText.h"

TEST(StatusText, EveryStatus)
{
    const std::pair<int16_t, const char*> table[] = {
        {ERR_COMMAND_BUSY, "Network is busy"},
        {ERR_COMMAND_ALREADY_CONNECTED, "Attempting to Connect Again"},
        {ERR_COMMAND_NOT_CONFIGURED, "Not Configured"},
        {ERR_COMMAND_NO_CONNECTION, "No Connection Made"},
        {ERR_COMMAND_NO_BROADCAST, "Can't Use with Broadcast Address"},
        {ERR_SIGN_NO_RESPONSE, "No Response from Display"},
        {ERR_SIGN_INVALID_RESPONSE, "Sign Invalid Response"},
        {ERR_SIGN_UNSUPPORTED_COMMAND, "Not Supported by Display"},
        {ERR_SIGN_BAD_COMMAND, "Bad Command"},
        {ERR_SIGN_ABORT, "No Known Cause"},
        {ERR_NETWORK_CONNECT_FAILED, "Network Connection Failed"},
        {ERR_NETWORK_DISCONNECT_INVALID, "Unable to Disconnect"},
        {ERR_NETWORK_NO_WRITE, "Unable to Send Data"},
        {ERR_NETWORK_NO_READ, "Unable to Read Data"},
        {ERR_SOCKET_NO_CREATE, "Can't Create Local Socket"},
        {ERR_SOCKET_NO_INIT, "Unable to Initialize"},
        {ERR_GRAPHIC_UNSUPPORTED_FORMAT, "No Known Cause"},
        {ERR_DNS_HOST_NOT_FOUND, "No Known Cause"},
        {KORNET_OK, "No Known Cause"},
        {-32768, "No Known Cause"},
        {1, "No Known Cause"},
    };
    for (const auto& [status, text] : table) EXPECT_EQ(StatusText(status, 14), text) << status;
}

TEST(StatusText, DisplayErrorsAndComposition)
{
    const char* expected[16] = {"No Error Detected",    "Can't Access File System", "Can't Find the File(s)",
                                "Memory Allocation Error", "Out of File Memory",    "Failed Flash ROM Write",
                                "No Known Cause",       "Not Ready to Execute",     "Out of Range Error",
                                "No Known Cause",       "No Known Cause",           "No Known Cause",
                                "No Known Cause",       "No Known Cause",           "Password Mismatch",
                                "No Known Cause"};
    for (int code = 0; code < 16; ++code) {
        EXPECT_EQ(DisplayErrorText(static_cast<uint8_t>(code)), expected[code]) << code;
        EXPECT_EQ(StatusText(ERR_SIGN_RESPONSE_ERROR, static_cast<uint8_t>(code)), expected[code]) << code;
    }
    EXPECT_EQ(DisplayErrorText(255), "No Known Cause");
    EXPECT_EQ(FailureText("Unable to send %s: ", "CONFIG.XML", ERR_SIGN_RESPONSE_ERROR, 14),
              "Unable to send CONFIG.XML: Password Mismatch");
    EXPECT_EQ(FailureText("Unable to reset display: ", "", ERR_SIGN_NO_RESPONSE), "Unable to reset display: No Response from Display");
}
