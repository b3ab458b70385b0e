#include "shell/slidingstackedwidget.h"
#include "tests/support/quarnTest.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>

namespace {
constexpr int Pages = 4;
constexpr QSize PageSize(240, 280);
} // namespace

class TestSlidingStackedWidget : public QObject
{
    Q_OBJECT

private:
    // A shown stack of four pages inside a parent, with a short slide for quick tests.
    struct Fixture
    {
        QWidget window;
        SlidingStackedWidget* stack = nullptr;

        explicit Fixture(int speed = 20)
        {
            window.resize(PageSize);
            stack = new SlidingStackedWidget(&window);
            stack->setGeometry(QRect(QPoint(0, 0), PageSize));
            for (int i = 0; i < Pages; ++i)
                stack->addWidget(new QLabel(QString::number(i)));
            stack->setSpeed(speed);
            window.show();
        }
        QWidget* page(int i) const { return stack->widget(i); }
    };

    static bool finishSlide(SlidingStackedWidget* stack, QSignalSpy& spy, int expected = 1)
    {
        while (spy.count() < expected) {
            if (!spy.wait(2000))
                return false;
        }
        return !stack->isSliding();
    }

private slots:
    void construction_setsDefaults()
    {
        QWidget parent;
        SlidingStackedWidget stack(&parent);
        QCOMPARE(stack.speed(), 250);
        QCOMPARE(stack.animation(), QEasingCurve::InCirc);
        QVERIFY(!stack.verticalMode());
        QVERIFY(!stack.wrap());
        QCOMPARE(stack.defaultDirection(), SlidingStackedWidget::RIGHT2LEFT);
        QCOMPARE(stack.mainWindow(), &parent);
    }

    void construction_withoutParent_warnsAndUsesItself()
    {
        QuarnTest::LogCapture log;
        SlidingStackedWidget stack;
        QCOMPARE(log.lines(), QStringList{QStringLiteral("ATTENTION: untested mainwindow case !")});
        QCOMPARE(stack.mainWindow(), &stack);
    }

    void slide_entersFromTheExpectedSide_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QPoint>("incomingStart");
        QTest::addColumn<QPoint>("outgoingEnd");

        const int w = PageSize.width();
        const int h = PageSize.height();
        QTest::newRow("higher index from the right")
            << false << 0 << 2 << QPoint(w, 0) << QPoint(-w, 0);
        QTest::newRow("lower index from the left")
            << false << 3 << 1 << QPoint(-w, 0) << QPoint(w, 0);
        QTest::newRow("vertical higher from the top")
            << true << 0 << 1 << QPoint(0, -h) << QPoint(0, h);
        QTest::newRow("vertical lower from the bottom")
            << true << 2 << 0 << QPoint(0, h) << QPoint(0, -h);
    }

    void slide_entersFromTheExpectedSide()
    {
        QFETCH(bool, vertical);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QPoint, incomingStart);
        QFETCH(QPoint, outgoingEnd);

        // Long enough that the slide is still running while the positions are read.
        Fixture f(5000);
        f.stack->setCurrentIndex(from);
        f.stack->setVerticalMode(vertical);
        QSignalSpy done(f.stack, &SlidingStackedWidget::animationFinished);

        f.stack->slideInIdx(to);
        QVERIFY(f.stack->isSliding());
        QCOMPARE(f.page(to)->pos(), incomingStart);
        QVERIFY(f.page(to)->isVisible());
        QCOMPARE(f.stack->currentIndex(), from);

        // Jump to the end to see where the outgoing page was headed before it is put back.
        auto* group = f.stack->findChild<QAbstractAnimation*>();
        QVERIFY(group);
        group->setCurrentTime(group->totalDuration() - 1);
        const QPoint outgoing = f.page(from)->pos();
        QVERIFY2((outgoing - outgoingEnd).manhattanLength() < 20,
                 qPrintable(
                     QStringLiteral("outgoing page at %1,%2").arg(outgoing.x()).arg(outgoing.y())));
        QVERIFY(finishSlide(f.stack, done));
    }

    void slide_restoresPositionsAndFinishesOnTarget()
    {
        Fixture f;
        QSignalSpy done(f.stack, &SlidingStackedWidget::animationFinished);
        f.stack->slideInIdx(1);
        QVERIFY(finishSlide(f.stack, done));
        QCOMPARE(done.count(), 1);
        QCOMPARE(f.stack->currentIndex(), 1);
        QCOMPARE(f.page(0)->pos(), QPoint(0, 0));
        QVERIFY(!f.page(0)->isVisible());
        QCOMPARE(f.page(1)->pos(), QPoint(0, 0));
        QVERIFY(f.page(1)->isVisible());
    }

    void slideToCurrentPage_emitsNothing()
    {
        Fixture f;
        f.stack->setCurrentIndex(2);
        QSignalSpy done(f.stack, &SlidingStackedWidget::animationFinished);
        f.stack->slideInIdx(2);
        QVERIFY(!f.stack->isSliding());
        QVERIFY(!done.wait(100));
        QCOMPARE(f.stack->currentIndex(), 2);
    }

    void slideInIdx_outOfRangeWraps_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("request");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("incomingX");

        QTest::newRow("count goes to 0 right to left") << 2 << Pages << 0 << PageSize.width();
        QTest::newRow("-1 goes to last left to right") << 1 << -1 << Pages - 1 << -PageSize.width();
        QTest::newRow("far below wraps too")
            << 1 << -2 * Pages - 1 << Pages - 1 << -PageSize.width();
    }

    void slideInIdx_outOfRangeWraps()
    {
        QFETCH(int, from);
        QFETCH(int, request);
        QFETCH(int, target);
        QFETCH(int, incomingX);

        Fixture f;
        f.stack->setCurrentIndex(from);
        QSignalSpy done(f.stack, &SlidingStackedWidget::animationFinished);
        f.stack->slideInIdx(request, SlidingStackedWidget::AUTOMATIC);
        QCOMPARE(f.page(target)->pos(), QPoint(incomingX, 0));
        QVERIFY(finishSlide(f.stack, done));
        QCOMPARE(f.stack->currentIndex(), target);
    }

    void nextAndPrev_respectWrap_data()
    {
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<bool>("next");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("target");

        QTest::newRow("next in the middle") << false << true << 1 << 2;
        QTest::newRow("prev in the middle") << false << false << 2 << 1;
        QTest::newRow("next on last, no wrap") << false << true << Pages - 1 << Pages - 1;
        QTest::newRow("prev on first, no wrap") << false << false << 0 << 0;
        QTest::newRow("next on last, wrap") << true << true << Pages - 1 << 0;
        QTest::newRow("prev on first, wrap") << true << false << 0 << Pages - 1;
    }

    void nextAndPrev_respectWrap()
    {
        QFETCH(bool, wrap);
        QFETCH(bool, next);
        QFETCH(int, from);
        QFETCH(int, target);

        Fixture f;
        f.stack->setWrap(wrap);
        f.stack->setCurrentIndex(from);
        QSignalSpy done(f.stack, &SlidingStackedWidget::animationFinished);
        next ? f.stack->slideInNext() : f.stack->slideInPrev();
        if (target == from) {
            QVERIFY(!f.stack->isSliding());
            QVERIFY(!done.wait(100));
        } else {
            QVERIFY(finishSlide(f.stack, done));
        }
        QCOMPARE(f.stack->currentIndex(), target);
    }

    void currentSlideIndex_usesDefaultDirection()
    {
        Fixture f(5000);
        f.stack->setCurrentIndex(1);
        QSignalSpy done(f.stack, &SlidingStackedWidget::animationFinished);

        f.stack->setCurrentDefaultDirectionLeftToRight();
        QVERIFY(f.stack->setProperty("currentSlideIndex", 2));
        QCOMPARE(f.page(2)->pos(), QPoint(-PageSize.width(), 0));

        f.stack->setCurrentDefaultDirectionRightToLeft();
        f.stack->setCurrentSlideIndex(0);
        QCOMPARE(done.count(), 1);
        QCOMPARE(f.page(0)->pos(), QPoint(PageSize.width(), 0));
        QCOMPARE(f.stack->property("currentSlideIndex").toInt(), 2);
    }

    void secondRequest_completesFirstAndSlidesOnFromItsTarget()
    {
        Fixture f(5000);
        QSignalSpy done(f.stack, &SlidingStackedWidget::animationFinished);
        f.stack->slideInIdx(2);
        f.stack->slideInIdx(1);

        QCOMPARE(done.count(), 1);
        QCOMPARE(f.stack->currentIndex(), 2);
        QCOMPARE(f.page(0)->pos(), QPoint(0, 0));
        QVERIFY(!f.page(0)->isVisible());
        QVERIFY(f.stack->isSliding());
        QCOMPARE(f.page(1)->pos(), QPoint(-PageSize.width(), 0));

        f.stack->setSpeed(20);
        f.stack->slideInIdx(1);
        QCOMPARE(done.count(), 2);
        QCOMPARE(f.stack->currentIndex(), 1);
        QVERIFY(!f.stack->isSliding());
        QCOMPARE(f.page(2)->pos(), QPoint(0, 0));
        QVERIFY(!f.page(2)->isVisible());
    }

    void emptyStack_ignoresRequests()
    {
        QWidget parent;
        SlidingStackedWidget stack(&parent);
        stack.setWrap(true);
        QSignalSpy done(&stack, &SlidingStackedWidget::animationFinished);
        stack.slideInIdx(0);
        stack.slideInIdx(-1);
        stack.slideInNext();
        stack.slideInPrev();
        QCOMPARE(done.count(), 0);
        QCOMPARE(stack.currentIndex(), -1);
    }
};

QUARN_GUI_TEST_MAIN(TestSlidingStackedWidget)
#include "tst_slidingstackedwidget.moc"
