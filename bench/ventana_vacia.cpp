// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick of bench/almanaque_proceso.sh: a bare Qt Widgets window with
// what the almanac's window has of Qt's own (a menu bar of a few menus,
// three boxes, three tabs, a table of 14 rows, a status bar), nothing of
// Vespalba, no settings, no icon. Started and timed as the almanac is: the
// script learns of its mapping and of its first paint from the X server
// (its title, its _NET_WM_PID, the colours of the band from 20 % to 55 % of
// its height, the table's rows here), so the program reports nothing.
// Same size as the almanac's window at its first start, 1100 x 720.
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QString>
#include <QStringList>
#include <QTabWidget>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <QVBoxLayout>
#include <QWidget>

namespace {

constexpr int Filas = 14;

QTableWidget* Tabla() {
    auto* t = new QTableWidget(Filas, 3);
    t->setObjectName(QStringLiteral("tabla"));
    t->setAccessibleName(QStringLiteral("Filas de muestra"));
    t->setHorizontalHeaderLabels(
        {QStringLiteral("Suceso"), QStringLiteral("Hora"), QStringLiteral("Nota")});
    t->verticalHeader()->hide();
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setAlternatingRowColors(true);
    t->horizontalHeader()->setStretchLastSection(true);
    const QStringList sucesos = {
        QStringLiteral("Comienzo del crepúsculo astronómico"),
        QStringLiteral("Comienzo del crepúsculo náutico"),
        QStringLiteral("Comienzo del crepúsculo civil"),
        QStringLiteral("Salida del Sol"),
        QStringLiteral("Mediodía"),
        QStringLiteral("Puesta del Sol"),
        QStringLiteral("Fin del crepúsculo civil"),
        QStringLiteral("Fin del crepúsculo náutico"),
        QStringLiteral("Fin del crepúsculo astronómico"),
        QStringLiteral("Horas de luz"),
        QStringLiteral("Hora dorada de la mañana"),
        QStringLiteral("Hora azul de la tarde"),
        QStringLiteral("Salida de la Luna"),
        QStringLiteral("Puesta de la Luna"),
    };
    for (int i = 0; i < Filas; ++i) {
        const QString hora =
            QStringLiteral("%1:%2").arg(5 + i).arg((i * 7) % 60, 2, 10, QLatin1Char('0'));
        t->setItem(i, 0, new QTableWidgetItem(sucesos.at(i)));
        auto* celdaHora = new QTableWidgetItem(hora);
        celdaHora->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        t->setItem(i, 1, celdaHora);
        t->setItem(i, 2,
                   new QTableWidgetItem(i % 3 == 0 ? QStringLiteral("acimut %1°").arg(90 + 10 * i)
                                                   : QString()));
    }
    t->resizeColumnsToContents();
    return t;
}

QWidget* Cajas() {
    auto* arriba = new QWidget;
    auto* rejilla = new QGridLayout(arriba);
    rejilla->setContentsMargins(0, 0, 0, 0);
    auto* etiquetaLugar = new QLabel(QStringLiteral("&Lugar:"));
    auto* lugar = new QLineEdit;
    lugar->setObjectName(QStringLiteral("cajaLugar"));
    lugar->setAccessibleName(QStringLiteral("Lugar"));
    lugar->setPlaceholderText(QStringLiteral("Pueblo, ciudad o puerto"));
    lugar->setText(QStringLiteral("Valparaíso"));
    etiquetaLugar->setBuddy(lugar);
    auto* etiquetaZona = new QLabel(QStringLiteral("&Zona:"));
    auto* zona = new QComboBox;
    zona->setObjectName(QStringLiteral("cajaZona"));
    zona->setAccessibleName(QStringLiteral("Zona horaria"));
    zona->setEditable(true);
    zona->addItems({QStringLiteral("Zona del lugar"), QStringLiteral("America/Santiago"),
                    QStringLiteral("America/Punta_Arenas"), QStringLiteral("Pacific/Easter")});
    etiquetaZona->setBuddy(zona);
    auto* etiquetaFecha = new QLabel(QStringLiteral("F&echa:"));
    auto* fecha = new QLineEdit(QStringLiteral("11/12/2026"));
    fecha->setObjectName(QStringLiteral("cajaFecha"));
    fecha->setAccessibleName(QStringLiteral("Fecha"));
    etiquetaFecha->setBuddy(fecha);
    rejilla->addWidget(etiquetaLugar, 0, 0);
    rejilla->addWidget(lugar, 0, 1, 1, 3);
    rejilla->addWidget(etiquetaZona, 1, 0);
    rejilla->addWidget(zona, 1, 1);
    rejilla->addWidget(etiquetaFecha, 1, 2);
    rejilla->addWidget(fecha, 1, 3);
    rejilla->setColumnStretch(1, 1);
    return arriba;
}

void Menus(QMainWindow& ventana) {
    QMenu* archivo = ventana.menuBar()->addMenu(QStringLiteral("&Archivo"));
    archivo->addAction(QStringLiteral("&Imprimir…"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    archivo->addAction(QStringLiteral("&Exportar…"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    archivo->addSeparator();
    QAction* salir = archivo->addAction(QStringLiteral("&Salir"));
    salir->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QObject::connect(salir, &QAction::triggered, &ventana, &QWidget::close);
    QMenu* ir = ventana.menuBar()->addMenu(QStringLiteral("&Ir"));
    ir->addAction(QStringLiteral("Día &anterior"))
        ->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    ir->addAction(QStringLiteral("Día &siguiente"))
        ->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    ir->addAction(QStringLiteral("&Hoy"))->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    QMenu* favoritos = ventana.menuBar()->addMenu(QStringLiteral("Lugares &favoritos"));
    favoritos->addAction(QStringLiteral("&Añadir el lugar mostrado"));
    QMenu* ayuda = ventana.menuBar()->addMenu(QStringLiteral("A&yuda"));
    ayuda->addAction(QStringLiteral("&Acerca de la ventana"));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication aplicacion(argc, argv);
    QMainWindow ventana;
    ventana.setObjectName(QStringLiteral("VentanaVacia"));
    ventana.setWindowTitle(QStringLiteral("Ventana vacía — vara de medir"));

    auto* central = new QWidget;
    auto* columna = new QVBoxLayout(central);
    columna->addWidget(Cajas());
    auto* pestanas = new QTabWidget;
    pestanas->setObjectName(QStringLiteral("pestanas"));
    pestanas->addTab(Tabla(), QStringLiteral("&Día"));
    pestanas->addTab(new QLabel(QStringLiteral("Los días del mes")), QStringLiteral("&Mes"));
    pestanas->addTab(new QLabel(QStringLiteral("La luz del año")), QStringLiteral("&Año"));
    columna->addWidget(pestanas, 1);
    ventana.setCentralWidget(central);
    Menus(ventana);
    ventana.statusBar()->setSizeGripEnabled(true);
    ventana.resize(1100, 720);
    ventana.show();
    return QApplication::exec();
}
