#pragma once
// The OLE font object (StdFont): shared by reference between the host, the control's
// font properties, the chart and cFont; never copied behind a caller's back.
// Setting Bold sets Weight to 700 or 400; setting Weight sets Bold (Weight > 550).
#include <cstdint>
#include <memory>
#include <string>

namespace kavrin {

class StdFont {
 public:
  StdFont() = default;
  StdFont(std::string name, double size, bool bold = false);

  const std::string& Name() const { return name_; }
  void Name(const std::string& v) { name_ = v; }
  // Points, kept to four decimals (the OLE currency type).
  double Size() const { return static_cast<double>(sizeCy_) / 10000.0; }
  void Size(double points);
  int64_t SizeCy() const { return sizeCy_; }
  void SizeCy(int64_t v) { sizeCy_ = v; }
  bool Bold() const { return bold_; }
  void Bold(bool v);
  bool Italic() const { return italic_; }
  void Italic(bool v) { italic_ = v; }
  bool Underline() const { return underline_; }
  void Underline(bool v) { underline_ = v; }
  bool Strikethrough() const { return strikethrough_; }
  void Strikethrough(bool v) { strikethrough_ = v; }
  int16_t Weight() const { return weight_; }
  void Weight(int16_t v);
  int16_t Charset() const { return charset_; }
  void Charset(int16_t v) { charset_ = v; }

  // A separate object with the same description.
  std::shared_ptr<StdFont> Clone() const { return std::make_shared<StdFont>(*this); }
  bool SameDescription(const StdFont& o) const;

  // The platform's default description, for a font member that is read while empty.
  static std::shared_ptr<StdFont> PlatformDefault();

 private:
  std::string name_ = "MS Sans Serif";
  int64_t sizeCy_ = 82500;  // 8.25 points, the form designers' default
  bool bold_ = false;
  bool italic_ = false;
  bool underline_ = false;
  bool strikethrough_ = false;
  int16_t weight_ = 400;
  int16_t charset_ = 1;
};

using FontRef = std::shared_ptr<StdFont>;

}  // namespace kavrin
