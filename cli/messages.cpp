#include "cli/messages.h"

#include "resources/string_table.h"

namespace {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};

}  // namespace

int MessageNumber(const CliEvent& event) {
    using imaging::ConversionNotice;
    using imaging::ConversionOutcome;
    using imaging::TextReset;
    return std::visit(Overloaded{
                          [](ConversionOutcome o) {
                              switch (o) {
                              case ConversionOutcome::Saved: return 0;
                              case ConversionOutcome::WidthInvalid: return 111;
                              case ConversionOutcome::HeightInvalid: return 112;
                              case ConversionOutcome::DrawFailed: return 115;
                              case ConversionOutcome::SaveFailed: return 118;
                              }
                              return 0;
                          },
                          [](ConversionNotice n) {
                              switch (n) {
                              case ConversionNotice::ResolutionFailed: return 113;
                              case ConversionNotice::InterpolationFailed: return 114;
                              case ConversionNotice::UnknownAngle: return 116;
                              case ConversionNotice::RotateFlipFailed: return 117;
                              }
                              return 0;
                          },
                          [](TextReset r) { return r == TextReset::X ? 130 : 131; },
                      },
                      event);
}

QString MessageText(const CliEvent& event) {
    const int id = MessageNumber(event);
    return BuiltInString(id).value_or(QStringLiteral("error %1").arg(id));
}
