#include "cli/messages.h"

#include "resources/string_ids.h"
#include "resources/string_table.h"

namespace {

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
// Spelled out for compilers without class template argument deduction for
// aggregates (clang before 17).
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

int MessageNumber(const CliEvent& event) {
    using imaging::ConversionNotice;
    using imaging::ConversionOutcome;
    using imaging::TextReset;
    return std::visit(Overloaded{
                          [](ConversionOutcome o) -> int {
                              switch (o) {
                              case ConversionOutcome::Saved: return 0;
                              case ConversionOutcome::WidthInvalid: return IDS_STRING111;
                              case ConversionOutcome::HeightInvalid: return IDS_STRING112;
                              case ConversionOutcome::DrawFailed: return IDS_STRING115;
                              case ConversionOutcome::SaveFailed: return IDS_STRING118;
                              }
                              return 0;
                          },
                          [](ConversionNotice n) -> int {
                              switch (n) {
                              case ConversionNotice::ResolutionFailed: return IDS_STRING113;
                              case ConversionNotice::InterpolationFailed: return IDS_STRING114;
                              case ConversionNotice::UnknownAngle: return IDS_STRING116;
                              case ConversionNotice::RotateFlipFailed: return IDS_STRING117;
                              }
                              return 0;
                          },
                          [](TextReset r) -> int { return r == TextReset::X ? IDS_STRING130 : IDS_STRING131; },
                      },
                      event);
}

QString MessageText(const CliEvent& event) {
    const int id = MessageNumber(event);
    return BuiltInString(id).value_or(QStringLiteral("error %1").arg(id));
}
