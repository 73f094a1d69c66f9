#include "editors/profile_dialog.h"

#include "editors/profile_geometry.h"
#include "editors/report_qtcore.h"
#include "widgets/window_fit_qt.h"

#include <QPainter>
#include <QVBoxLayout>

namespace {

class ProfileView : public QWidget {
public:
    ProfileView(const ProfileGeometry& profile, QWidget* parent)
        : QWidget(parent), m_profile(profile) {
        setObjectName(QStringLiteral("profile"));
        setAccessibleName(QStringLiteral("profile"));
        setMinimumSize(480, 260);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), Qt::white);
        // The profile is laid out in points; one point is one pixel at 72 dpi.
        const double scale = logicalDpiX() / 72.0;
        p.scale(scale, scale);
        PaintProfile(p, QRectF(8, 8, width() / scale - 16, height() / scale - 16), m_profile);
    }

private:
    ProfileGeometry m_profile;
};

} // namespace

ProfileDialog::ProfileDialog(const PatternWorkingState& state, const ParameterImage& image,
                             QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("PROFILE  PATTERN %1").arg(state.selectedPattern));
    setSizeGripEnabled(true);
    CenterOnParent(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new ProfileView(
        BuildProfile(state.workingCopy, image.systemSetup, HasTimeSignalOption(image)), this));
    resize(820, 420);
}
