// The network layer's message texts: one table of named strings whose built-in values
// are the English texts below. A translation replaces the table with InstallMessages
// before the first network component is created; afterwards the table is only read.
#pragma once

#include <string>
#include <string_view>

namespace horalux {

struct IdMessages {
  std::string AlreadyConnected = "Already connected.";
  std::string ConnectionClosedGracefully = "Connection Closed Gracefully.";
  std::string ReadTimeout = "Read Timeout";
  std::string InvalidServiceName = "%s is not a valid service.";
  std::string ConnectTimeout = "Connect timed out.";
  std::string NotConnected = "Disconnected.";
  std::string CannotAllocateSocket = "Cannot allocate socket.";
  std::string SocketError = "Socket Error # %d\r\n%s";
  std::string StackCanNotLoad = "%s could not be loaded.";
  std::string StackInitializationFailed = "Winsock Initialization Error.";
  std::string SetSizeExceeded = "Set Size Exceeded.";
  std::string CouldNotBindSocket = "Could not bind socket. Address and port are already in use.";
  std::string CanNotBindInPortRange = "Can not bind in port range (%d - %d)";
  std::string InvalidPortRange = "Invalid Port Range (%d - %d)";
  std::string NotEnoughDataInBuffer = "Not enough data in buffer.";
  std::string NoDataToRead = "No data to read.";
  std::string ThreadClassNotSpecified = "Thread Class Not Specified.";
  std::string NoCommandHandlerFound = "No command handler found.";
  std::string NoExecuteSpecified = "No execute handler found.";
  std::string TerminateThreadTimeout = "Terminate Thread Timeout";
  std::string StackName = "BSD socket stack";
  std::string WinsockStackName = "Winsock stack";

  std::string SocksRequestFailed = "Request rejected or failed.";
  std::string SocksRequestServerFailed = "Request rejected because SOCKS server cannot connect.";
  std::string SocksRequestIdentFailed =
      "Request rejected because the client program and identd report different user-ids.";
  std::string SocksUnknownError = "Unknown socks error.";
  std::string SocksServerRespondError = "Socks server did not respond.";
  std::string SocksAuthMethodError = "Invalid socks authentication method.";
  std::string SocksAuthError = "Authentication error to socks server.";
  std::string SocksServerGeneralError = "General SOCKS server failure.";
  std::string SocksServerPermissionError = "Connection not allowed by ruleset.";
  std::string SocksServerNetUnreachableError = "Network unreachable.";
  std::string SocksServerHostUnreachableError = "Host unreachable.";
  std::string SocksServerConnectionRefusedError = "Connection refused.";
  std::string SocksServerTTLExpiredError = "TTL expired.";
  std::string SocksServerCommandError = "Command not supported.";
  std::string SocksServerAddressError = "Address type not supported.";

  // Status texts, indexed by TIdStatus.
  std::string StatusResolving = "Resolving hostname %s.";
  std::string StatusConnecting = "Connecting to %s.";
  std::string StatusConnected = "Connected.";
  std::string StatusDisconnecting = "Disconnecting.";
  std::string StatusDisconnected = "Disconnected.";
  std::string StatusText = "%s";
};

const IdMessages& Messages();

// Requires: no network component exists yet (the table is read without a lock).
void InstallMessages(IdMessages messages);

// The text for a socket error code in WinSock numbering; empty for a code without one.
std::string_view WSAErrorText(int code);

}  // namespace horalux
