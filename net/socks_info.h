// Proxy settings of a socket I/O handler. The program never uses a proxy: the version stays
// svNoSocks and connections go directly to their host.
#pragma once

#include <string>

#include "net/id_component.h"

namespace horalux {

enum TSocksVersion { svNoSocks, svSocks4, svSocks4A, svSocks5 };
enum TSocksAuthentication { saNoAuthentication, saUsernamePassword };

class TIdSocksInfo : public TIdComponent {
 public:
  using TIdComponent::TIdComponent;

  TSocksVersion Version = svNoSocks;
  TSocksAuthentication Authentication = saNoAuthentication;
  std::string Host;
  int Port = 1080;
  std::string Username;
  std::string Password;

  void Assign(const TIdSocksInfo& source) {
    Version = source.Version;
    Authentication = source.Authentication;
    Host = source.Host;
    Port = source.Port;
    Username = source.Username;
    Password = source.Password;
  }
};

}  // namespace horalux
