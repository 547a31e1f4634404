package corvanell.demo;

import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.OutputStreamWriter;
import java.io.Writer;

/**
 * Demo installer packaged by default builds: a real runnable archive that
 * stands where a release puts the product installer. It records the start
 * directory it was handed as the system property orig.dir in ant.install.log,
 * in its current directory, as the real installer logs there, and exits 0.
 */
public final class Installer {
    private Installer() {
    }

    public static void main(String[] args) throws IOException {
        String origDir = System.getProperty("orig.dir");
        File log = new File(System.getProperty("user.dir"), "ant.install.log");
        Writer out = new OutputStreamWriter(new FileOutputStream(log), "UTF-8");
        try {
            out.write("Corvanell demo installer\n");
            out.write("orig.dir=" + (origDir == null ? "" : origDir) + "\n");
        } finally {
            out.close();
        }
        System.out.println("Corvanell demo installer ran; orig.dir=" + origDir);
        System.exit(0);
    }
}
