#pragma once
// One 8-bit channel of a colour setting, chosen by a bit shift (0 red,
// 8 green, 16 blue), for any viewer family: the track bar and the edit show
// a colour this way. Family is the family's base controller class.
#include <cstdint>
#include <string>

#include "controls/viewer.h"
#include "values/typed.h"

template <class Family>
class TScrColorChannelController : public TScrTypedController<Family, TScrVColor> {
  using Base = TScrTypedController<Family, TScrVColor>;

 public:
  explicit TScrColorChannelController(TComponent* owner) : Base(owner) {}

  // Shifts outside 0..31 select no bits of a 32-bit colour: reading gives
  // 0, writing leaves the colour as it is.
  virtual TColor SetColorChannel(TColor color, std::uint8_t channel) {
    if (!UsableShift()) return color;
    const auto mask = static_cast<std::uint32_t>(255) << bitShift_;
    const auto bits = (static_cast<std::uint32_t>(color) & ~mask) | (static_cast<std::uint32_t>(channel) << bitShift_);
    return static_cast<TColor>(bits);
  }
  virtual std::uint8_t GetColorChannel(TColor color) {
    return UsableShift() ? static_cast<std::uint8_t>((color >> bitShift_) & 255) : 0;
  }

  std::int32_t BitShift() const { return bitShift_; }
  // A new channel shows in the viewer at once.
  void SetBitShift(std::int32_t shift) {
    if (bitShift_ == shift) return;
    bitShift_ = shift;
    this->ValueNotification(TValueNotifications{vnChange});
  }
  const std::string& ColorName() const { return colorName_; }
  void SetColorName(const std::string& name) { colorName_ = name; }

  void Assign(TPersistent* source) override {
    Base::Assign(source);
    if (auto* other = dynamic_cast<TScrColorChannelController*>(source)) {
      SetBitShift(other->bitShift_);
      colorName_ = other->colorName_;
    }
  }
  std::string GetTitle() override { return Base::GetTitle() + "->" + colorName_; }
  // Red, green and blue controllers for a colour value; none for others.
  void EnumControllersOfValue(TComponent* owner, TScrValue* value, TList<TScrValueController>& list) override {
    auto* color = dynamic_cast<TScrVColor*>(value);
    if (!color) return;
    static const struct {
      std::int32_t shift;
      const char* name;
    } kChannels[] = {{0, "Red"}, {8, "Green"}, {16, "Blue"}};
    for (const auto& channel : kChannels) {
      auto* copy = static_cast<TScrColorChannelController*>(this->CreateCopy(owner));
      copy->SetValue(color);
      copy->SetBitShift(channel.shift);
      copy->SetColorName(channel.name);
      list.Add(copy);
    }
  }

 protected:
  // The channel of the linked colour; `fallback` without a value.
  std::int32_t Channel(std::int32_t fallback) {
    return this->typed_ ? GetColorChannel(this->typed_->GetValue()) : fallback;
  }
  // Writes `channel` into the linked colour (nothing without a value).
  void WriteChannel(std::uint8_t channel) {
    if (this->typed_) this->typed_->SetValue(SetColorChannel(this->typed_->GetValue(), channel));
  }

 private:
  bool UsableShift() const { return bitShift_ >= 0 && bitShift_ < 32; }
  std::int32_t bitShift_ = 0;
  std::string colorName_;
};
