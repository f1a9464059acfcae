#pragma once
// An ISA board on the port bus: its data port and its status port.
#include <memory>

#include "board_machine.h"
#include "winplat/hw/ports.h"

namespace winplat::hw::detail {

class IsaPortDevice : public PortDevice {
 public:
  explicit IsaPortDevice(std::shared_ptr<Board> board) : board_(std::move(board)) {}
  std::uint8_t Read8(std::uint16_t port) override;
  void Write8(std::uint16_t port, std::uint8_t value) override;

 private:
  std::uint8_t Status();
  void Start();
  std::shared_ptr<Board> board_;
};

}  // namespace winplat::hw::detail
