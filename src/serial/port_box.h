#pragma once
// The port box: a narrow drop-down that shows a port by its short name, lists the ports with what the platform says
// of them in a list as wide as its longest entry, takes a name typed by hand, and shows the connection's colour as
// a solid colour even while it is disabled.

#include <QColor>
#include <QComboBox>

#include <optional>
#include <string>
#include <vector>

namespace trelvo {

class PortBox : public QComboBox {
public:
    explicit PortBox(QWidget* parent = nullptr);

    // Replaces the entries: names as they are opened, descriptions one per name (may be empty). Nothing selected.
    void setPorts(const std::vector<std::string>& names, const std::vector<std::string>& descriptions);
    // The text of entry i in the drop-down list.
    QString listText(int i) const;
    // The names of the entries, as they are opened.
    std::vector<std::string> portNames() const;
    // The port the box's text stands for: an entry's full name, or a name typed by hand; empty when none.
    std::string portToOpen() const;

    // A solid face in this colour with black text, enabled or not; nothing: the platform's look.
    void setStateColour(std::optional<QColor> colour);
    std::optional<QColor> stateColour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<QColor> colour_;
};

} // namespace trelvo
