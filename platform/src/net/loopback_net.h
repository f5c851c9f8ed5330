// The simulated network under the socket functions: UDP sockets whose datagrams stay on
// 127.0.0.0/8, sent to the agents the machine lists (palvex/network.h) and answered as from the
// printers' listed addresses. Addresses are IPv4 in host order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace palvex::net {

// A UDP socket's descriptor, or -1.
int OpenUdpSocket();
void CloseSocket(int fd);
// Sends to (address, port) as the simulated network routes it; the bytes' count, or -1 when the
// socket refused them. A datagram that goes nowhere counts as sent, as on a real network.
long SendDatagram(int fd, const uint8_t* data, size_t size, uint32_t address, uint16_t port);
// Receives one datagram; the sender as the simulated network names it.
long ReceiveDatagram(int fd, uint8_t* data, size_t size, uint32_t& address, uint16_t& port);
// Waits until one of the sockets has a datagram; the ready ones, or nothing after timeoutMs on the
// machine clock. On a virtual clock the wait for datagrams still under way is real and the time
// that passes without one is the clock's (it moves on by the time-out).
std::vector<int> WaitReadable(const std::vector<int>& fds, long timeoutMs);
// The SNMP agent that a request for address (port 161) reaches: loopback address and port; false
// when the address is neither loopback nor a listed printer.
bool AgentFor(uint32_t address, uint32_t& agentAddress, uint16_t& agentPort);
// The port that port 161 of a loopback address is moved to (PALVEX_SNMP_PORT).
uint16_t LoopbackAgentPort();

}  // namespace palvex::net
