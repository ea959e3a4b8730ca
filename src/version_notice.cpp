#include "version_notice.h"

#include "build_info.h"
#include "platform.h"

// The accents of Polish are drawn as commas on the line above the letter.
static const char kVersionNotice[] =
    "Oprogramowanie korzysta z serwera WWW Apache, tworzonego przez\n"
    "Apache Software Foundation (http://www.apache.org/)\n"
    "\n"
    "Copyright (c) 2000 The Apache Software Foundation.  All rights\n"
    "reserved.\n"
    "\n"
    "THIS SOFTWARE IS PROVIDED ``AS IS'' AND ANY EXPRESSED OR IMPLIED\n"
    "WARRANTIES, INCLUDING, BUT NOT LIMITED TO, THE IMPLIED WARRANTIES\n"
    "OF MERCHANTABILITY AND FITNESS FOR A PARTICULAR PURPOSE ARE\n"
    "DISCLAIMED.  IN NO EVENT SHALL THE APACHE SOFTWARE FOUNDATION OR\n"
    "ITS CONTRIBUTORS BE LIABLE FOR ANY DIRECT, INDIRECT, INCIDENTAL,\n"
    "SPECIAL, EXEMPLARY, OR CONSEQUENTIAL DAMAGES (INCLUDING, BUT NOT\n"
    "LIMITED TO, PROCUREMENT OF SUBSTITUTE GOODS OR SERVICES; LOSS OF\n"
    "USE, DATA, OR PROFITS; OR BUSINESS INTERRUPTION) HOWEVER CAUSED AND\n"
    "ON ANY THEORY OF LIABILITY, WHETHER IN CONTRACT, STRICT LIABILITY,\n"
    "OR TORT (INCLUDING NEGLIGENCE OR OTHERWISE) ARISING IN ANY WAY OUT\n"
    "OF THE USE OF THIS SOFTWARE, EVEN IF ADVISED OF THE POSSIBILITY OF\n"
    "SUCH DAMAGE.\n"
    "   ,                                       ,\n"
    "Wlasciciel: " LAUNCHER_OWNER "\n"
    "             ,\n"
    "Autor: " LAUNCHER_AUTHOR "\n"
    "Wersja z dnia " LAUNCHER_VERSION_DATE "\n";

void ShowVersionNotice(int argc, char *argv[]) {
  if (argc > 1 && strcmp(argv[1], "-v") == 0) {
    fputs(kVersionNotice, stdout);
    exit(0);
  }
}
