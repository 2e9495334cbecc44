#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <memory>
#include <string>
#include <vector>

#include "Tavix/ui/FormSection.h"
#include "Tavix/ui/LinkRow.h"
#include "Tavix/ui/PickerRow.h"
#include "Tavix/ui/RowLabel.h"
#include "Tavix/ui/SliderRow.h"
#include "Tavix/ui/SwitchRow.h"
#include "tests/app/AppFixture.h"

namespace tavix::ui::test {

// The application state on simulated services in a folder of the test's own, and ways to find
// the controls of a view by what the user reads on them.
class ScenesFixture : public tavix::testing::AppFixture {
  protected:
    // Both grants, a running tap and a mouse: nothing to repair.
    AppState& readyState() {
        platform.permissions->setTrusted(true);
        platform.permissions->setCanPostEvents(true);
        attachMouse();
        AppState& s = state();
        s.boot();
        return s;
    }

    // How many times the system setting `key` was written (once per setter call).
    int writes(const std::string& key) const {
        int n = 0;
        for (const auto& operation : store->operations()) {
            const auto* set = std::get_if<platform::InMemoryPreferenceStore::Set>(&operation);
            if (set && set->key == key &&
                (set->domain.isGlobal() || set->domain.name() == "com.apple.AppleMultitouchMouse"))
                ++n;
        }
        return n;
    }
    std::optional<platform::PreferenceValue> lastWrite(const std::string& key) const {
        std::optional<platform::PreferenceValue> last;
        for (const auto& operation : store->operations()) {
            const auto* set = std::get_if<platform::InMemoryPreferenceStore::Set>(&operation);
            if (set && set->key == key) last = set->value;
        }
        return last;
    }

    template <class Row>
    static Row* row(const QWidget& view, const QString& title) {
        for (Row* r : view.findChildren<Row*>())
            if (r->label()->title() == title) return r;
        ADD_FAILURE() << "no row " << title.toStdString();
        return nullptr;
    }
    static SwitchRow* switchRow(const QWidget& view, const QString& title) {
        return row<SwitchRow>(view, title);
    }
    static SliderRow* sliderRow(const QWidget& view, const QString& title) {
        return row<SliderRow>(view, title);
    }
    static PickerRow* pickerRow(const QWidget& view, const QString& title) {
        return row<PickerRow>(view, title);
    }
    static FormSection* section(const QWidget& view, const QString& header) {
        for (FormSection* s : view.findChildren<FormSection*>())
            if (s->headerLabel()->text() == header) return s;
        ADD_FAILURE() << "no section " << header.toStdString();
        return nullptr;
    }
    static QPushButton* button(const QWidget& view, const QString& text) {
        for (QPushButton* b : view.findChildren<QPushButton*>())
            if (b->text() == text) return b;
        ADD_FAILURE() << "no button " << text.toStdString();
        return nullptr;
    }
    // Shown, as far as the view is concerned (the view itself may be off screen).
    static bool shown(const QWidget* w, const QWidget& view) { return w && w->isVisibleTo(&view); }
};

}  // namespace tavix::ui::test
