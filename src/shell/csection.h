#pragma once
// One solenoid's current limits on the configuration page: the minimum and the
// maximum current in mA, each a number field and a slider kept in step. The
// control works on the catalogue's own records (held by pointer, never copied), so
// an edit here is at once an edit of the record.

#include <QColor>
#include <QFrame>
#include <QString>
#include <cstdint>

class QLabel;
class QSlider;
class QSpinBox;

namespace hvc {

struct UnitVariable;
class DocumentState;

class CSection : public QFrame {
    Q_OBJECT
public:
    CSection(DocumentState& document, int index, QWidget* parent = nullptr);

    int index() const { return m_index; }

    UnitVariable* minVar() const { return m_min.var; }
    UnitVariable* maxVar() const { return m_max.var; }
    void setMinVar(UnitVariable* var);
    void setMaxVar(UnitVariable* var);
    // Catalogue positions of the two records (0 when none is held).
    std::int16_t minVarIndex() const;
    std::int16_t maxVarIndex() const;

    QString solenoidLabel() const { return m_solenoidLabel; }
    void setSolenoidLabel(const QString& label);
    // Words the accessible names carry after "current", e.g. "slow set".
    void setSetName(const QString& name);

    QColor mainColor() const { return m_mainColor; }
    QColor secondColor() const { return m_secondColor; }
    void setMainColor(const QColor& colour);
    void setSecondColor(const QColor& colour);

    // Shows the records' values, limits and edit marks again.
    void refreshValues();

    QSpinBox* minField() const { return m_min.field; }
    QSpinBox* maxField() const { return m_max.field; }
    QSlider* minSlider() const { return m_min.slider; }
    QSlider* maxSlider() const { return m_max.slider; }

Q_SIGNALS:
    void minChanged(int index);
    void maxChanged(int index);

private:
    struct Limit {
        UnitVariable* var = nullptr;
        QLabel* caption = nullptr;
        QSpinBox* field = nullptr;
        QSlider* slider = nullptr;
    };
    void buildLimit(Limit& limit, const QString& caption);
    void showLimit(Limit& limit);
    void edit(Limit& limit, int value);
    void updateNames();
    void applyColours();

    DocumentState& m_document;
    int m_index;
    QString m_solenoidLabel;
    QString m_setName;
    QColor m_mainColor;
    QColor m_secondColor;
    QLabel* m_label;
    Limit m_min;
    Limit m_max;
};

} // namespace hvc
