// The TCP/IP panel's configure step.
#pragma once

#include <cstdint>
#include <string>

class CJxConfigApp;
class CKorNetwork;

// The "Socket:" field as a number: its leading digits (0 when there are
// none), and back (an empty field for 0).
int32_t SocketNumberFromText(const std::string& socketText);
std::string SocketNumberText(int32_t socketNumber);

// The socket the panel stands for: 3001 while "Use Default" is ticked,
// otherwise the field's number; 0 when that is not a TCP port (1 to 65535).
int32_t SocketValue(int32_t socketNumber, bool useDefault);

// Stores "Socket Number" and "IP Address", applies the TCP/IP policies and
// configures the link for the host (a name or a dotted address).
bool ConfigureTcpIpLink(CJxConfigApp& app, CKorNetwork& link, const std::string& address, int32_t socketNumber,
                        bool useDefault);
