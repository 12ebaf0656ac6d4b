#include "BuildInfo.h"
#include "SimFirmware.h"
#include "SimFrontPanel.h"
#include "SimLdcd.h"
#include "SimNetworkModule.h"
#include "SimOptions.h"
#include "SimPty.h"
#include "SimTcpServer.h"
#include "SwitcherDevice.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("matrix-sim"));

    QString error;
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const auto options = SimOptions::Parse(arguments, &error);
    if (!options) {
        std::fprintf(stderr, "matrix-sim: %s\n\n%s", qPrintable(error),
                     qPrintable(SimOptions::Usage()));
        return 2;
    }
    if (options->help) {
        std::fputs(qPrintable(SimOptions::Usage()), stdout);
        return 0;
    }
    if (options->version) {
        std::printf("matrix-sim %s\n", BuildInfo::Version);
        return 0;
    }

    SwitcherDevice device;
    SimFirmware firmware(device);
    SimLdcd ldcd(device);
    options->applyTo(device.faults());
    options->applyTo(device.state());

    std::unique_ptr<SimFrontPanel> frontPanel;
    if (!options->frontPanelScript.isEmpty()) {
        auto steps = SimFrontPanelScript::Load(options->frontPanelScript, options->size, &error);
        if (!steps) {
            std::fprintf(stderr, "matrix-sim: %s\n", qPrintable(error));
            return 2;
        }
        frontPanel = std::make_unique<SimFrontPanel>(device.state(), std::move(*steps));
    }

    std::unique_ptr<SimPty> pty;
    if (options->pty) {
        pty = std::make_unique<SimPty>(device);
        if (!pty->open()) {
            std::fprintf(stderr, "matrix-sim: %s\n", qPrintable(pty->errorString()));
            return 1;
        }
        std::printf("%s\n", qPrintable(pty->slavePath()));
        std::fflush(stdout);
    }

    std::unique_ptr<SimTcpServer> server;
    if (options->tcpAddress) {
        server = std::make_unique<SimTcpServer>(device);
        if (!server->listen(*options->tcpAddress, options->port)) {
            std::fprintf(stderr, "matrix-sim: cannot listen on %s:%u: %s\n",
                         qPrintable(options->tcpAddress->toString()), unsigned(options->port),
                         qPrintable(server->errorString()));
            return 1;
        }
        std::fprintf(stderr, "matrix-sim: listening on %s:%u\n",
                     qPrintable(options->tcpAddress->toString()), unsigned(server->port()));
    }

    std::unique_ptr<SimNetworkModule> network;
    if (options->networkAddress) {
        network = std::make_unique<SimNetworkModule>();
        network->modules = {options->networkModule()};
        // The module reports the same address over the control line as over UDP.
        ldcd.address = network->modules.first().address;
        const QHostAddress bound = options->hearBroadcasts ? QHostAddress(QHostAddress::AnyIPv4)
                                                           : *options->networkAddress;
        if (!network->listen(bound)) {
            std::fprintf(stderr, "matrix-sim: cannot answer on %s (UDP 30600, 30601): %s\n",
                         qPrintable(options->networkAddress->toString()),
                         qPrintable(network->errorString()));
            return 1;
        }
        std::fprintf(stderr, "matrix-sim: network module on %s, UDP 30600 and 30601\n",
                     qPrintable(options->networkAddress->toString()));
    }

    if (frontPanel)
        frontPanel->start();
    return QCoreApplication::exec();
}
