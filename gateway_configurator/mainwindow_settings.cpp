// The converter window's file menu: the form saved to a settings file, and
// loaded back from one.

#include "mainwindow.h"

#include "setting_module.h"
#include "ui_mainwindow.h"

#include <QDebug>
#include <QFileDialog>
#include <QMessageBox>

namespace {

const char kFileCaption[] = "Настройки";
const char kFileFilter[] = "TCP_RTU settings (*.TRset);";

} // namespace

void MainWindow::OnSaveSetting_File()
{
    auto *file = new setting_module(nullptr);
    auto textOr = [](const QLineEdit *edit, const char *fallback) {
        return edit->text().isEmpty() ? QString::fromLatin1(fallback) : edit->text();
    };
    auto indexOr = [](const QComboBox *combo, int fallback) {
        return combo->currentIndex() != 0 ? combo->currentIndex() : fallback;
    };
    file->modul_name = ui->conbox0->currentText();
    file->ip_address = textOr(ui->lineEdit_ip, "192.168.0.1");
    file->mask = textOr(ui->lineEdit_mask, "255.255.255.0");
    file->gateway = textOr(ui->lineEdit_gateway, "0.0.0.0");
    file->port_tcp = textOr(ui->lineEdit_portTCP, "502");
    file->parity = indexOr(ui->comboBox, 1);
    file->speed_rs485 = indexOr(ui->comboBox_speed, 4);
    file->mode_tcp = indexOr(ui->comboBox_mode, 1);
    file->stop_bit = indexOr(ui->comboBox_2, 1);
    file->timeout_response = textOr(ui->lineEdit_timewait, "1000");
    file->ip_server_tcp = textOr(ui->lineEdit_ipservertcp, "192.168.0.10");
    file->timeout_tcp = textOr(ui->lineEdit_timeout, "180");
    file->rtu_virtual_id = textOr(ui->lineEdit_rtu_virtual_id, "1");
    file->tcp_slave_id = ui->checkBox->isChecked() ? QStringLiteral("off") : textOr(ui->lineEdit_tcp_id, "off");

    file->SaveNTSetting();
    if (file->lastSaveFailed())
        QMessageBox::critical(this, tr("Ошибка"), tr("Не удалось сохранить файл настройки"));
    file->deleteLater();
}

void MainWindow::on_action_open_2_triggered()
{
    const QString chosen = QFileDialog::getOpenFileName(this, tr(kFileCaption), QString(), tr(kFileFilter));
    if (chosen.isEmpty()) {
        settingsFileName.clear();
        ui->action->setText(tr("Текущий файл (") + settingsFileName + QStringLiteral(")"));
        QMessageBox::critical(this, tr("Ошибка"), tr("Файл конфигурации не выбран"), QMessageBox::Ok);
        return;
    }
    // A file that cannot be read leaves the form and the current file as they were.
    if (!loadSettingsIntoForm(chosen, true))
        return;
    settingsFileName = chosen;
    ui->action->setText(tr("Текущий файл (") + settingsFileName + QStringLiteral(")"));
}

void MainWindow::on_action_save_triggered()
{
    OnSaveSetting_File();
}

void MainWindow::on_action_triggered()
{
    if (settingsFileName.isEmpty()) {
        QMessageBox::critical(this, tr("Ошибка"), tr("Файл конфигурации не выбран"), QMessageBox::Ok);
        return;
    }
    loadSettingsIntoForm(settingsFileName, false);
}

bool MainWindow::loadSettingsIntoForm(const QString &fileName, bool verbose)
{
    auto *file = new setting_module(nullptr);
    file->LoadNTSetting(fileName);
    if (file->lastLoadFailed()) {
        file->deleteLater();
        QMessageBox::critical(this, tr("Ошибка"), tr("Не удалось прочитать файл настройки"));
        return false;
    }

    clearRedMarks();
    // The converter type first: it switches the view before the fields fill.
    ui->conbox0->setCurrentText(file->modul_name);
    qDebug() << file->modul_name << "modul_name";

    ui->lineEdit_ip->setText(file->ip_address);
    ui->lineEdit_mask->setText(file->mask);
    ui->lineEdit_gateway->setText(file->gateway);
    ui->lineEdit_portTCP->setText(file->port_tcp);
    ui->comboBox->setCurrentIndex(file->parity);
    ui->comboBox_speed->setCurrentIndex(file->speed_rs485);
    if (verbose)
        qDebug() << file->speed_rs485 << "SPERD_RS485";
    ui->comboBox_2->setCurrentIndex(file->stop_bit);
    ui->comboBox_mode->setCurrentIndex(file->mode_tcp);
    if (verbose)
        qDebug() << file->mode_tcp << "tcp -mode";
    ui->lineEdit_timewait->setText(file->timeout_response);
    ui->lineEdit_ipservertcp->setText(file->ip_server_tcp);
    ui->lineEdit_timeout->setText(file->timeout_tcp);
    ui->lineEdit_rtu_virtual_id->setText(file->rtu_virtual_id);

    if (file->tcp_slave_id != QLatin1String("off")) {
        ui->lineEdit_tcp_id->setText(file->tcp_slave_id);
        ui->lineEdit_tcp_id->setEnabled(true);
        ui->checkBox->setChecked(false);
        ui->lineEdit_tcp_id->setStyleSheet(QString());
    } else {
        ui->checkBox->setChecked(true);
        ui->lineEdit_tcp_id->clear();
        ui->lineEdit_tcp_id->setEnabled(false);
        ui->lineEdit_tcp_id->setStyleSheet(QStringLiteral("background-color: #f5edff;"));
    }
    ui->lineEdit_version->setStyleSheet(QStringLiteral("background-color:  #f5edff;"));
    ui->lineEdit_MAC->setStyleSheet(QStringLiteral("background-color: #f5edff;"));
    file->deleteLater();
    return true;
}
