#include "kelvane/forms/form1.h"
#include "platform/forms/runtime.h"
#include "tests/support/fit.h"

namespace {

TEST(KelvaneFit, CaptionsAndTogglesFit) {
#ifdef KT_TESTS_EMULATED
    // Under qemu-aarch64 this case never comes back; what the captions draw does not depend on
    // the processor, and the native run measures it.
    GTEST_SKIP() << "does not finish under the emulator";
#endif
    platform::resetProgram();
    auto& form = platform::ensureInstance<kelvane::Form1>();
    form.show();
    fit::expectCaptionsFit(form);
    struct Row {
        platform::TextBox* box;
        const char* text;
    };
    // The age reaches 15 with two decimals; a toggle flips between these two.
    const Row rows[] = {{form.Tage, " 15.00"}, {form.TRandom, "Yes"}, {form.TDynamic, "No"}};
    for (const Row& row : rows)
        EXPECT_TRUE(fit::readsInFull(*row.box, QString::fromLatin1(row.text))) << row.text;
    platform::resetProgram();
}

} // namespace
